#include "win32_system_operations.h"

#include "bitmap_file.h"
#include "picture_decoder.h"
#include "system_error.h"
#include "update_cycle.h"
#include "user_folders.h"
#include "wide_text.h"

namespace dromix {
namespace {

void WriteWhole(const FileAccess& files, const std::wstring& path, const Bytes& bytes) {
    UniqueFile file = files.Create(path);
    FileAccess::WriteAll(file, bytes, path);
    if (!file.close()) ThrowLastError("Cannot write < " + WideToUtf8(path) + " >");
}

// Writes at `path`; when that place is refused, at the same file name in the folder `fallback` gives.
// Returns the path written.
template <typename Write>
std::string WriteWithFallback(const std::string& path, std::wstring (*fallback)(), Write&& write) {
    const std::wstring wide = Utf8ToWide(path);
    try {
        write(wide);
        return path;
    } catch (const WriteRefused&) {
    }
    const std::wstring elsewhere = fallback() + FileNameOf(wide);
    write(elsewhere);
    return WideToUtf8(elsewhere);
}

// Makes the bitmap at `path` the wallpaper and stores the setting in the user profile, with no change
// broadcast; raises with the system's message on failure.
void SetDesktopWallpaper(const std::wstring& path) {
    std::string ansi;
    BOOL done = FALSE;
    if (WideToAnsi(path, ansi)) {
        done = SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, ansi.data(), SPIF_UPDATEINIFILE);
    } else {
        // A per-user folder whose name has no ANSI form can only be named through the wide call.
        std::wstring wide = path;
        done = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(), SPIF_UPDATEINIFILE);
    }
    if (!done) ThrowLastError("Cannot set the wallpaper");
}

}  // namespace

void RemoveCycleLeftovers(const std::string& bitmapPath) noexcept {
    try {
        const std::wstring bitmap = Utf8ToWide(bitmapPath);
        const std::wstring download = Utf8ToWide(kTempFileName);
        std::wstring application = ApplicationDirectory();
        if (application.back() != L'\\') application += L'\\';
        for (const std::wstring& path : {bitmap + kUnfinishedBitmapSuffix, PerUserDataPlace() + FileNameOf(bitmap) + kUnfinishedBitmapSuffix,
                                         application + download, TemporaryDirectory() + download}) {
            ::DeleteFileW(SystemPath(path).c_str());
        }
    } catch (...) {
        // Without a folder's name there is nothing of ours to find in it.
    }
}

Win32SystemOperations::Win32SystemOperations(Options options)
    : http_(options.timeouts), files_(options.createFile) {}

Win32SystemOperations::~Win32SystemOperations() = default;

Page Win32SystemOperations::FetchPage(const std::string& url) {
    HttpResponse response = http_.Get(url, kPageLimit, "page");
    return {std::string(response.body.begin(), response.body.end()), std::move(response.url)};
}

Bytes Win32SystemOperations::FetchBytes(const std::string& url) {
    return http_.Get(url, kImageLimit, "image").body;
}

std::string Win32SystemOperations::ResolveUrl(const std::string& base, const std::string& relative) {
    return CombineUrl(base, relative);
}

// A refused program directory (Program Files for a standard user) sends the temporary file to the
// user's temporary folder.
std::string Win32SystemOperations::WriteFile(const std::string& path, const Bytes& bytes) {
    return WriteWithFallback(path, &TemporaryDirectory,
                             [&](const std::wstring& target) { WriteWhole(files_, target, bytes); });
}

void Win32SystemOperations::RemoveFile(const std::string& path) { FileAccess::Delete(Utf8ToWide(path)); }

Picture Win32SystemOperations::LoadPicture(const std::string& path) { return DecodePictureFile(Utf8ToWide(path)); }

// A refused target (the root of C: for a standard user) sends the bitmap to the per-user data folder.
std::string Win32SystemOperations::SaveBitmap(const Picture& picture, const std::string& path) {
    return WriteWithFallback(path, &PerUserDataDirectory,
                             [&](const std::wstring& target) { SaveBitmapFile(files_, picture, target); });
}

void Win32SystemOperations::SetWallpaper(const std::string& path) { SetDesktopWallpaper(Utf8ToWide(path)); }

std::string Win32SystemOperations::ApplicationPath() { return WideToUtf8(ApplicationDirectory()); }

}  // namespace dromix
