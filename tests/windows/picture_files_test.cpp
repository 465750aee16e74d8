// Decoding pictures to bitmap files, the atomic bitmap save, files with their per-user fallback,
// and the wallpaper setting.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bmp_file.h"
#include "comic_site_client.h"
#include "error_of.h"
#include "errors.h"
#include "system_error.h"
#include "wide_text.h"
#include "win32_system_operations.h"

namespace dromix {
namespace {

using ::testing::HasSubstr;

using testing::ErrorOf;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(SystemPath(Utf8ToWide(path)).c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(SystemPath(Utf8ToWide(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The decoded picture written as it is (the program writes it composed for the desktop).
std::string SaveAsIs(Win32SystemOperations& system, const Picture& picture, const std::string& path) {
    test::PictureRows rows(picture);
    return system.SaveBitmap(rows, path);
}

std::string Strip(const std::string& name) { return testing::SourcePath("tests/support/strips/" + name); }

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

struct Rgb {
    int r, g, b;
};

// A pixel of a 24-bit bottom-up BMP file as written by the bitmap writer.
Rgb BmpPixel(const Bytes& file, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t width = Get32(file, 18);
    const std::uint32_t height = Get32(file, 22);
    const std::uint32_t row = (width * 3 + 3) & ~3u;
    const std::size_t at = Get32(file, 10) + std::size_t{height - 1 - y} * row + x * 3;
    return {file[at + 2], file[at + 1], file[at]};
}

void ExpectNear(Rgb actual, Rgb expected, int tolerance, const std::string& where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where;
}

// A fresh folder of its own under the user's temporary folder for each test.
class Folder {
public:
    explicit Folder(const std::string& name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = WideToUtf8(temp) + "dromix-test-" + name;
        Clear();
        CreateDirectoryW(Utf8ToWide(path_).c_str(), nullptr);
    }
    ~Folder() { Clear(); }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

private:
    void Clear() {
        std::wstring pattern = Utf8ToWide(path_ + "\\*");
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring item = Utf8ToWide(path_ + "\\") + found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveDirectoryW(SystemPath(item).c_str());
                } else {
                    DeleteFileW(SystemPath(item).c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(Utf8ToWide(path_).c_str());
    }
    std::string path_;
};

struct DecodeCase {
    const char* file;
    Rgb left;
    Rgb right;
    int tolerance;
};

class DecodeMatrix : public ::testing::TestWithParam<DecodeCase> {};

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};

TEST_P(DecodeMatrix, DecodesToABitmapOfTheRightSizeAndColours) {
    const DecodeCase& c = GetParam();
    Win32SystemOperations system({});
    Folder folder(std::string("decode-") + c.file);
    const Picture picture = system.LoadPicture(Strip(c.file));
    ASSERT_EQ(picture.width, 64u);
    ASSERT_EQ(picture.height, 32u);

    const std::string bitmap = SaveAsIs(system, picture, folder / "out.bmp");
    EXPECT_EQ(bitmap, folder / "out.bmp");
    const Bytes file = ReadFile(bitmap);
    ASSERT_EQ(file.size(), 54u + 32u * 64u * 3u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(Get32(file, 18), 64u);
    EXPECT_EQ(Get32(file, 22), 32u);
    for (std::uint32_t y : {1u, 16u, 30u}) {
        ExpectNear(BmpPixel(file, 8, y), c.left, c.tolerance, std::string(c.file) + " left");
        ExpectNear(BmpPixel(file, 56, y), c.right, c.tolerance, std::string(c.file) + " right");
    }
    EXPECT_FALSE(Exists(folder / "out.bmp.new"));
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeMatrix,
                         ::testing::Values(DecodeCase{"indexed.gif", kRed, kBlue, 0},
                                           DecodeCase{"animated.gif", kRed, kBlue, 0},  // frame 0 only
                                           DecodeCase{"baseline.jpg", kRed, kBlue, 40},
                                           DecodeCase{"progressive.jpg", kRed, kBlue, 40},
                                           DecodeCase{"palette.png", kRed, kBlue, 0},
                                           DecodeCase{"deep.png", kRed, kBlue, 1},
                                           DecodeCase{"alpha.png", kRed, kWhite, 0}),  // transparent over white
                         [](const ::testing::TestParamInfo<DecodeCase>& param) {
                             std::string name = param.param.file;
                             return name.substr(0, name.find('.')) + "_" + name.substr(name.find('.') + 1);
                         });

TEST(PictureDecoder, DecodesTheSampleStrips) {
    Win32SystemOperations system({});
    const auto start = std::chrono::steady_clock::now();
    const Picture gif = system.LoadPicture(Strip("strip-1.gif"));
    std::printf("[ timing ] decode of the 1200x400 GIF: %.1f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    EXPECT_EQ(gif.width, 1200u);
    EXPECT_EQ(gif.height, 400u);
    const Picture big = system.LoadPicture(Strip("strip-4.jpg"));
    EXPECT_EQ(big.width, 2000u);
    EXPECT_EQ(big.height, 650u);
}

TEST(PictureDecoder, RefusesWhatIsNotAWholePicture) {
    Win32SystemOperations system({});
    Folder folder("bad-pictures");
    const Bytes jpeg = ReadFile(Strip("strip-2.jpg"));

    system.WriteFile(folder / "empty.tmp", {});
    EXPECT_EQ(ErrorOf([&] { system.LoadPicture(folder / "empty.tmp"); }), "The picture file is empty");

    const std::string html = "<html><body>Not a picture</body></html>";
    system.WriteFile(folder / "html.tmp", Bytes(html.begin(), html.end()));
    EXPECT_EQ(ErrorOf([&] { system.LoadPicture(folder / "html.tmp"); }), "The file is not a GIF, JPEG or PNG picture");

    for (const char* name : {"strip-1.gif", "strip-2.jpg", "strip-3.png"}) {  // the first third of each
        const Bytes whole = ReadFile(Strip(name));
        system.WriteFile(folder / "third.tmp", Bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 3)));
        EXPECT_EQ(ErrorOf([&] { system.LoadPicture(folder / "third.tmp"); }),
                  "The picture is damaged and cannot be decoded")
            << name;
    }

    system.WriteFile(folder / "header.tmp", Bytes(jpeg.begin(), jpeg.begin() + 40));
    EXPECT_EQ(ErrorOf([&] { system.LoadPicture(folder / "header.tmp"); }),
              "The picture is damaged and cannot be decoded");

    EXPECT_EQ(ErrorOf([&] { system.LoadPicture(folder / "missing.tmp"); }),
              "Cannot read < " + (folder / "missing.tmp") + " >: File not found.");
}

// Takes this process's free address space so that a failing allocation is a real one: first a block
// of `blockMiB` is set aside, everything else is reserved (in 64 MiB pieces, then 1 MiB and 64 KiB
// ones for the gaps), then `scatteredMiB` of the 1 MiB pieces, none of them neighbours, and the
// block are given back. With `heapKiB`, the heap is then filled too, up to that much. Only a
// 32-bit process's 2 GB can be taken this way.
class AddressSpaceHog {
public:
    AddressSpaceHog(std::size_t blockMiB, std::size_t scatteredMiB, std::optional<std::size_t> heapKiB = {}) {
        constexpr SIZE_T kKiB = 1024;
        constexpr SIZE_T kMiB = 1024 * kKiB;
        void* block = blockMiB ? VirtualAlloc(nullptr, blockMiB * kMiB, MEM_RESERVE, PAGE_NOACCESS) : nullptr;
        blockFound_ = blockMiB == 0 || block != nullptr;
        std::vector<void*> megabytes;
        for (const SIZE_T size : {64 * kMiB, kMiB, 64 * kKiB}) {
            while (void* piece = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) {
                (size == kMiB ? megabytes : pieces_).push_back(piece);
            }
        }
        for (std::size_t i = 0; i < megabytes.size(); ++i) {
            if (i % 2 == 0 && i / 2 < scatteredMiB) {
                VirtualFree(megabytes[i], 0, MEM_RELEASE);
            } else {
                pieces_.push_back(megabytes[i]);
            }
        }
        if (block) VirtualFree(block, 0, MEM_RELEASE);
        if (heapKiB) {
            try {
                for (;;) heap_.push_back(std::make_unique<char[]>(16 * kKiB));
            } catch (const std::bad_alloc&) {
            }
            heap_.resize(heap_.size() > *heapKiB / 16 ? heap_.size() - *heapKiB / 16 : 0);
        }
    }
    ~AddressSpaceHog() {
        for (void* piece : pieces_) VirtualFree(piece, 0, MEM_RELEASE);
    }
    AddressSpaceHog(const AddressSpaceHog&) = delete;
    AddressSpaceHog& operator=(const AddressSpaceHog&) = delete;
    bool BlockFound() const { return blockFound_; }

private:
    std::vector<void*> pieces_;
    std::vector<std::unique_ptr<char[]>> heap_;
    bool blockFound_ = false;
};

// What a call raised: its description, or the type of anything that is no UpdateError.
template <typename Call>
std::string AnyErrorOf(Call&& call) {
    try {
        return ErrorOf(call);
    } catch (const std::exception& e) {
        return std::string("escaped: ") + e.what();
    }
}

// A picture exactly at the limits (16384 x 4096, 24-bit) needs 256 MiB for its pixels besides the
// decoder's and the converter's buffers. A fresh 32-bit process under Wine has the room; one whose
// address space is taken (as a long-running program's may be) does not. Running out is a sentence
// naming the picture, never "std::bad_alloc", and the bitmap stays as it was.
TEST(PictureDecoder, RunningOutOfMemoryIsASentenceAndTheBitmapStays) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "a 64-bit address space cannot be taken";
    testing::ComicSite site;
    ASSERT_TRUE(site.Running());
    Win32SystemOperations system({});
    Folder folder("out-of-memory");
    site.Control("fault?image=limit-png");
    const std::string picturePath =
        system.WriteFile(folder / "limit.tmp", system.FetchBytes(site.Url("/strips/strip-1.gif")));
    site.Control("reset");
    const std::string target = folder / "dromix.bmp";
    SaveAsIs(system, system.LoadPicture(Strip("indexed.gif")), target);
    const Bytes before = ReadFile(target);
    const std::string kSentence = "Not enough memory to convert the picture (16384 x 4096)";

    // Wine's PNG decoder reads the whole picture when it is opened, before its size can be asked:
    // no room for that; room for that but not for the pixels. Either way the sentence names the size.
    struct Squeeze {
        const char* what;
        std::size_t blockMiB;
    };
    for (const Squeeze& squeeze : {Squeeze{"decoder", 0}, Squeeze{"pixels", 300}}) {
        std::string error;
        {
            const AddressSpaceHog hog(squeeze.blockMiB, 16);
            ASSERT_TRUE(hog.BlockFound()) << squeeze.what;
            error = AnyErrorOf([&] { SaveAsIs(system, system.LoadPicture(picturePath), target); });
        }
        EXPECT_EQ(error, kSentence) << squeeze.what;
    }
    // With the room back the picture converts; then the save, short of memory for its buffers.
    const Picture whole = system.LoadPicture(picturePath);
    ASSERT_EQ(whole.height, 4096u);
    std::string error;
    {
        const AddressSpaceHog hog(0, 0, 64);
        error = AnyErrorOf([&] { SaveAsIs(system, whole, target); });
    }
    EXPECT_EQ(error, kSentence) << "save";
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_FALSE(Exists(target + ".new"));
}

TEST(BitmapSave, AFailedSaveLeavesThePreviousBitmapByteForByte) {
    Win32SystemOperations system({});
    Folder folder("atomic");
    const std::string target = folder / "dromix.bmp";
    SaveAsIs(system, system.LoadPicture(Strip("indexed.gif")), target);
    const Bytes before = ReadFile(target);
    ASSERT_FALSE(before.empty());

    // A picture that fails half-way through the write, once half the file is written.
    struct FailingRows final : RowSource {
        std::uint32_t Width() const override { return 1200; }
        std::uint32_t Height() const override { return 400; }
        void FillRow(std::uint32_t y, std::uint8_t* bgr) override {
            if (y == 200) throw UpdateError("The rows ran out");
            std::memset(bgr, 0x7F, std::size_t{Width()} * 3);
        }
    } failing;
    EXPECT_EQ(ErrorOf([&] { system.SaveBitmap(failing, target); }), "The rows ran out");
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_FALSE(Exists(target + ".new"));

    // A good save after the failed one replaces it whole.
    SaveAsIs(system, system.LoadPicture(Strip("strip-1.gif")), target);
    EXPECT_EQ(ReadFile(target).size(), 54u + 400u * 1200u * 3u);
}

// In a program folder, and in one deeper than MAX_PATH. Wine takes long names without the
// extended-length form too; what it refuses, as Windows does, is an extended name that is not whole,
// hence the "/" in the second one.
TEST(Files, WriteReplacesTheWholeContentAndDeleteRemoves) {
    Win32SystemOperations system({});
    Folder folder("files");
    const std::string deep = folder / std::string(240, 'd');
    CreateDirectoryW(SystemPath(Utf8ToWide(deep)).c_str(), nullptr);
    const Bytes gif = ReadFile(Strip("indexed.gif"));
    for (const std::string& path : {folder / "__dromix.tmp", deep + "/__dromix.tmp"}) {
        EXPECT_EQ(system.WriteFile(path, Bytes(100000, 0xAB)), path);
        EXPECT_EQ(ReadFile(path).size(), 100000u);
        system.WriteFile(path, gif);
        EXPECT_EQ(ReadFile(path), gif);
        EXPECT_EQ(system.LoadPicture(path).width, 64u);
        system.RemoveFile(path);
        EXPECT_FALSE(Exists(path));
        EXPECT_EQ(ErrorOf([&] { system.RemoveFile(path); }), "Cannot delete < " + path + " >: File not found.");
    }
}

TEST(Files, ApplicationPathIsTheExecutablesDirectory) {
    Win32SystemOperations system({});
    const std::string directory = system.ApplicationPath();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_TRUE(Exists(directory + "\\windows_system_picture_test.exe"));
}

std::string PerUserBitmap() {
    wchar_t local[MAX_PATH];
    EXPECT_NE(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    return WideToUtf8(local) + "\\Dromix\\dromix.bmp";
}

std::string TemporaryFile() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return WideToUtf8(temp) + "__dromix.tmp";
}

// Creating a file in this directory fails with `refusal`: access denied, as C:\ is for a standard
// user, or any other reason a place can give.
std::wstring refusedDirectory;
DWORD refusal = ERROR_ACCESS_DENIED;

HANDLE WINAPI CreateFileRefusing(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE model) {
    const std::wstring name(path);
    if (name.size() > refusedDirectory.size() && name.compare(0, refusedDirectory.size(), refusedDirectory) == 0 &&
        name[refusedDirectory.size()] == L'\\') {
        SetLastError(refusal);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(path, access, share, security, disposition, flags, model);
}

// Each kind of refusal (the rows) sends the bitmap to the per-user place; a full disk is full there
// too and is reported. The bitmap at the refused place stays as it was.
TEST(AccessDenied, RefusedWritesGoToThePerUserPlaces) {
    Folder folder("refused");
    refusedDirectory = Utf8ToWide(folder.Path());
    Win32SystemOperations({}).WriteFile(folder / "dromix.bmp", Bytes{1, 2, 3});
    Win32SystemOperations::Options options;
    options.createFile = &CreateFileRefusing;
    Win32SystemOperations system(options);

    const std::string temporary = system.WriteFile(folder / "__dromix.tmp", Bytes{4, 5, 6});
    EXPECT_EQ(temporary, TemporaryFile());
    EXPECT_EQ(ReadFile(temporary), (Bytes{4, 5, 6}));
    const Picture picture = system.LoadPicture(Strip("indexed.gif"));
    const std::string full = "Cannot write < " + (folder / "dromix.bmp.new") + " >: " + SystemMessage(ERROR_DISK_FULL);
    for (const DWORD error : std::initializer_list<DWORD>{ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, ERROR_NOT_READY,
                                                          ERROR_WRITE_PROTECT, ERROR_FILENAME_EXCED_RANGE,
                                                          ERROR_BAD_NETPATH, ERROR_SHARING_VIOLATION, ERROR_DISK_FULL}) {
        refusal = error;
        std::string bitmap;  // the path written, or else the error
        const std::string failure = ErrorOf([&] { bitmap = SaveAsIs(system, picture, folder / "dromix.bmp"); });
        EXPECT_EQ(bitmap + failure, error == ERROR_DISK_FULL ? full : PerUserBitmap()) << error;
        EXPECT_EQ(ReadFile(folder / "dromix.bmp"), (Bytes{1, 2, 3})) << error;
    }
    EXPECT_EQ(ReadFile(PerUserBitmap()).size(), 54u + 32u * 64u * 3u);
    EXPECT_FALSE(Exists(folder / "__dromix.tmp"));
    system.RemoveFile(temporary);
    system.RemoveFile(PerUserBitmap());
}

TEST(AccessDenied, ADirectoryInTheWayIsARealRefusal) {
    // Under Wine, as on Windows, writing or moving over a directory is refused as access denied.
    Folder folder("directory-in-the-way");
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder / "dromix.bmp").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder / "__dromix.tmp").c_str(), nullptr));
    Win32SystemOperations system({});
    const std::string temporary = system.WriteFile(folder / "__dromix.tmp", Bytes{7});
    EXPECT_EQ(temporary, TemporaryFile());
    EXPECT_EQ(system.WriteFile(folder / "missing\\__dromix.tmp", Bytes{7}), temporary);  // so is a missing folder
    const std::string bitmap = SaveAsIs(system, system.LoadPicture(Strip("indexed.gif")), folder / "dromix.bmp");
    EXPECT_EQ(bitmap, PerUserBitmap());
    EXPECT_FALSE(Exists(folder / "dromix.bmp.new"));
    system.RemoveFile(temporary);
    system.RemoveFile(bitmap);
}

std::string StoredWallpaper() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    return WideToUtf8(value);
}

TEST(Wallpaper, TheSettingIsStoredInTheUserProfile) {
    Win32SystemOperations system({});
    Folder folder("wallpaper");
    const std::string bitmap = SaveAsIs(system, system.LoadPicture(Strip("strip-1.gif")), folder / "dromix.bmp");
    const std::string before = StoredWallpaper();
    system.SetWallpaper(bitmap);
    EXPECT_EQ(StoredWallpaper(), bitmap);
    system.SetWallpaper(before);
}

}  // namespace
}  // namespace dromix
