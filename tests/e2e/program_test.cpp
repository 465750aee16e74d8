// One run of the real Dromix.exe against the sample comic site: the first cycle five seconds after
// start, "&Update Image" with the same and with a new strip, the tray round trip, a second
// instance, and the end by the close box. The checks share the one started program, in order.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_support.h"
#include "reference_picture.h"

namespace dromix::e2e {
namespace {

std::vector<std::string> NewStripCycle(const std::string& strip) {
    return {"Opening < http://www.example.com/ >", "Locating image...",
            "Downloading < " + StripUrl(strip) + " >", "Converting to bitmap...",
            "Setting as wallpaper...", "Done!"};
}

const std::vector<std::string> kUnchangedCycle = {"Opening < http://www.example.com/ >", "Locating image...",
                                                  "Image hasn't changed!"};

// The bitmap file holds exactly the strip's pixels, and the wallpaper setting names it.
void ExpectWallpaperShows(const std::string& strip) {
    const auto expected = DecodeWithWic(Widen(StripFile(strip)));
    ASSERT_TRUE(expected.has_value()) << strip;
    const auto written = ReadBmp(ReadBytes(kBitmapPath));
    ASSERT_TRUE(written.has_value()) << "C:\\dromix.bmp is not a plain BMP file";
    EXPECT_EQ(written->width, expected->width);
    EXPECT_EQ(written->height, expected->height);
    EXPECT_TRUE(written->rgb == expected->rgb) << "the bitmap's pixels differ from " << strip;
    EXPECT_EQ(WallpaperSetting(), L"c:\\dromix.bmp");
}

// The requests the program made since the last reset, as "GET target" lines.
std::vector<std::string> Requests(ComicSite& site) {
    const std::string json = site.Control("requests");
    std::vector<std::string> targets;
    const std::string key = "\"target\": \"";
    for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at)) {
        at += key.size();
        targets.push_back(json.substr(at, json.find('"', at) - at));
    }
    return targets;
}

std::wstring ProgramDirectoryFile(const wchar_t* name) {
    return dromix::testing::BuildTreePath(std::wstring(L"src\\app\\") + name);
}

// What a cycle ended part-way leaves, in each place it can be, and files beside them whose names
// only look alike.
struct Leftovers {
    std::vector<std::wstring> ours, others;
};
Leftovers PlaceLeftovers() {
    wchar_t local[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring perUser = std::wstring(local) + L"\\Dromix\\";
    CreateDirectoryW(perUser.c_str(), nullptr);
    Leftovers files{{std::wstring(kBitmapPath) + L".new", perUser + L"dromix.bmp.new", ProgramDirectoryFile(L"__dromix.tmp"),
                     std::wstring(temp) + L"__dromix.tmp"},
                    {std::wstring(kBitmapPath) + L".new.old", perUser + L"dromix.new", ProgramDirectoryFile(L"__dromix.tmp2"),
                     std::wstring(temp) + L"x__dromix.tmp"}};
    for (const auto* list : {&files.ours, &files.others}) {
        for (const std::wstring& path : *list) std::ofstream(path.c_str(), std::ios::binary) << "left";
    }
    return files;
}

class DromixRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site_ = std::make_unique<ComicSite>();
        site_->Control("reset");
        proxy_ = std::make_unique<ProxySetting>();
        proxy_->Through(site_->Port());
        DeleteFileW(kBitmapPath);
        SetWallpaperSetting(L"");
        leftovers_ = PlaceLeftovers();
        started_ = GetTickCount64();
        program_ = std::make_unique<Program>();
    }
    static void TearDownTestSuite() {
        program_.reset();
        proxy_.reset();
        site_.reset();
    }
    void SetUp() override {
        if (!program_ || program_->Process().Ended(0)) GTEST_SKIP() << "the program is no longer running";
    }

    static inline std::unique_ptr<ComicSite> site_;
    static inline std::unique_ptr<ProxySetting> proxy_;
    static inline std::unique_ptr<Program> program_;
    static inline ULONGLONG started_ = 0;
    static inline Leftovers leftovers_;
};

// At start, before any cycle: only files of exactly the names a cycle leaves are gone.
TEST_F(DromixRun, LeftoversOfAnEndedCycleAreGoneAtStart) {
    for (const std::wstring& path : leftovers_.ours) {
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(path);
    }
    for (const std::wstring& path : leftovers_.others) {
        EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{'l', 'e', 'f', 't'})) << Narrow(path);
        DeleteFileW(path.c_str());
    }
}

TEST_F(DromixRun, FirstCycleFiveSecondsAfterStartSetsTheStrip) {
    const Cycle cycle = program_->WaitForFirstCycle();
    const ULONGLONG seconds = (GetTickCount64() - started_) / 1000;
    ASSERT_TRUE(cycle.Complete()) << program_->Log();
    EXPECT_GE(seconds, 4u);
    EXPECT_LE(seconds, 15u);

    // A blank line, then the six stamped lines, nothing else.
    const std::string log = program_->Log();
    EXPECT_EQ(log.substr(0, 2), "\r\n");
    EXPECT_EQ(LineBreaks(log), 7u);
    EXPECT_EQ(cycle.messages, NewStripCycle("strip-1.gif"));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof today, "%02u-%02u-%04u ", unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wYear});
    for (const std::string& line : cycle.lines) {
        EXPECT_TRUE(MessageOf(line).has_value()) << line;
        EXPECT_EQ(line.substr(0, 11), today) << line;
    }

    ExpectWallpaperShows("strip-1.gif");
    // The page and the strip, each fetched once through the proxy with the program's own page URL.
    EXPECT_EQ(Requests(*site_),
              (std::vector<std::string>{kProxiedHost, std::string(kProxiedHost) + "strips/strip-1.gif"}));
    EXPECT_EQ(GetFileAttributesW(ProgramDirectoryFile(L"__dromix.tmp").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the temporary image was left behind";
}

TEST_F(DromixRun, SameStripAgainTouchesNothing) {
    const FileState before = FileState::Of(kBitmapPath);
    ASSERT_TRUE(before.exists);
    site_->Control("reset");
    const Cycle cycle = program_->UpdateImage();
    EXPECT_EQ(cycle.messages, kUnchangedCycle);
    EXPECT_TRUE(FileState::Of(kBitmapPath) == before) << "the bitmap was rewritten";
    EXPECT_EQ(Requests(*site_), std::vector<std::string>{kProxiedHost});
}

TEST_F(DromixRun, NewStripIsDownloadedAndSet) {
    site_->Strip("strip-2.jpg");
    const Cycle cycle = program_->UpdateImage();
    EXPECT_EQ(cycle.messages, NewStripCycle("strip-2.jpg"));
    ExpectWallpaperShows("strip-2.jpg");
}

TEST_F(DromixRun, TrayRoundTripWhileTheCycleRuns) {
    const HWND main = program_->Main();
    PostMessageW(main, WM_COMMAND, IDM_HIDE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && IsIconic(main); }));

    // "&Update" from the tray popup runs a whole cycle while the window stays hidden.
    site_->Strip("strip-3.png");
    const std::string before = program_->Log();
    PostMessageW(main, WM_COMMAND, IDM_UPDATE, 0);
    Cycle cycle;
    ASSERT_TRUE(WaitUntil([&] {
        const std::string now = program_->Log();
        return now != before && (cycle = NewestCycle(now)).Complete();
    }));
    EXPECT_EQ(cycle.messages, NewStripCycle("strip-3.png"));
    EXPECT_FALSE(IsWindowVisible(main));
    ExpectWallpaperShows("strip-3.png");

    // A double click on the icon brings the window back, log scrolled to its end.
    PostMessageW(main, WM_MOUSEMOVE, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
}

TEST_F(DromixRun, SecondInstanceLeavesTheFirstAlone) {
    const FileState before = FileState::Of(kBitmapPath);
    {
        DromixProcess second;
        const HWND box = dromix::testing::WaitForTopWindow(second.Id(), L"#32770", L"Error");
        ASSERT_NE(box, nullptr);
        HWND ok = nullptr;
        bool saysRunning = false;
        for (HWND child : dromix::testing::ChildrenOf(box)) {
            if (TextOf(child) == L"Dromix is already running!") saysRunning = true;
            if (GetDlgCtrlID(child) == IDOK) ok = child;
        }
        EXPECT_TRUE(saysRunning);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(dromix::testing::FindTopWindow(second.Id(), L"Dromix.MainWindow"), nullptr);
        EXPECT_FALSE(second.Ended(300)) << "the second copy waits for OK";
        PostMessageW(ok, BM_CLICK, 0, 0);
        ASSERT_TRUE(second.Ended(10000));
    }
    // The first one carries on: same window, same strip, nothing touched.
    EXPECT_TRUE(IsWindowVisible(program_->Main()));
    EXPECT_TRUE(program_->Answers());
    EXPECT_EQ(program_->UpdateImage().messages, kUnchangedCycle);
    EXPECT_TRUE(FileState::Of(kBitmapPath) == before);
}

TEST_F(DromixRun, CloseBoxEndsTheProgramAndKeepsTheWallpaper) {
    const HWND main = program_->Main();
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(program_->Process().Ended(10000));
    EXPECT_EQ(program_->Process().ExitCode(), 0u);
    EXPECT_FALSE(IsWindow(main));
    ExpectWallpaperShows("strip-3.png");
}

}  // namespace
}  // namespace dromix::e2e
