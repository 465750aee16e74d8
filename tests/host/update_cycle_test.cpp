#include "update_cycle.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "activity_log.h"
#include "bmp_writer.h"
#include "fake_system_operations.h"
#include "log_copy.h"

namespace dromix {
namespace {

using test::FakeSystemOperations;
using test::kGoodImage;
using test::Op;

const std::string kPageUrl = "http://comic.example/";
const std::string kStamp = "03-16-2003 20:22:29 | ";
const std::string kStripUrl = "http://comic.example/strips/2003-03-16.gif";
const std::string kBitmap = "c:\\dromix.bmp";
const Bytes kOldBitmap = {'B', 'M', 'o', 'l', 'd'};
const std::string kOpeningLine = "Opening < http://comic.example/ >";

std::string PageNaming(const std::string& src) {
    return "<html><body><h1>Comic</h1><img alt=\"Latest Strip\" width=\"600\" SRC=\"" + src +
           "\"></body></html>";
}

// The log's lines without their stamps; a blank line is "".
std::vector<std::string> Messages(const std::string& text) {
    std::vector<std::string> messages;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        std::string line = text.substr(start, end - start);
        if (!line.empty()) {
            EXPECT_EQ(line.rfind(kStamp, 0), 0u) << line;
            line.erase(0, kStamp.size());
        }
        messages.push_back(line);
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "the log ends with a line break";
    return messages;
}

class UpdateCycleTest : public ::testing::Test {
protected:
    UpdateCycleTest() {
        system.pages[kPageUrl] = PageNaming(kStripUrl);
        system.images[kStripUrl] = kGoodImage;
        system.files["c:\\dromix.bmp"] = kOldBitmap;
    }

    std::vector<std::string> Run() {
        cycle.GetUpdate();
        return Messages(shown.Text());
    }

    // Whether the cycle holds `located` as the strip of its last download attempt: with every
    // operation working, a page that locates it again is "Image hasn't changed!".
    bool Remembers(const std::string& located) {
        system.Heal();
        system.pages[kPageUrl] = PageNaming(located);
        return Run().back() == "Image hasn't changed!";
    }

    const Bytes& Bitmap() { return system.files.at("c:\\dromix.bmp"); }

    FakeSystemOperations system;
    ActivityLog log{[] { return LocalTime{2003, 3, 16, 20, 22, 29}; }};
    test::LogCopy shown{log};
    UpdateCycle cycle{system, log, kPageUrl, kBitmap};
};

TEST_F(UpdateCycleTest, NewStripBecomesTheWallpaper) {
    EXPECT_EQ(Run(), (std::vector<std::string>{"", "Opening < http://comic.example/ >", "Locating image...",
                                               "Downloading < " + kStripUrl + " >", "Converting to bitmap...",
                                               "Setting as wallpaper...", "Done!"}));
    EXPECT_EQ(system.calls, (std::vector<std::string>{
                                "ApplicationPath", "FetchPage http://comic.example/", "FetchBytes " + kStripUrl,
                                "WriteFile C:\\Apps\\__dromix.tmp", "LoadPicture C:\\Apps\\__dromix.tmp",
                                "ReadDesktop", "SaveBitmap c:\\dromix.bmp", "RemoveFile C:\\Apps\\__dromix.tmp",
                                "SetWallpaper c:\\dromix.bmp"}));
    EXPECT_EQ(Bitmap(), test::BmpFile(Picture{2, 1, {{10, 20, 30, 0, 40, 50, 60, 0}}}));
    EXPECT_EQ(system.files.count("C:\\Apps\\__dromix.tmp"), 0u);
    EXPECT_EQ(system.wallpaper, "c:\\dromix.bmp");
}

TEST_F(UpdateCycleTest, UnchangedStripTouchesNothing) {
    Run();  // the first cycle always downloads, as no strip URL is "!"
    system.calls.clear();
    system.wallpaper.clear();
    const Bytes bitmap = Bitmap();

    const auto messages = Run();
    EXPECT_EQ(std::vector<std::string>(messages.begin() + 7, messages.end()),
              (std::vector<std::string>{"", "Opening < http://comic.example/ >", "Locating image...",
                                        "Image hasn't changed!"}));
    EXPECT_EQ(system.calls, (std::vector<std::string>{"ApplicationPath", "FetchPage http://comic.example/"}));
    EXPECT_EQ(Bitmap(), bitmap);
    EXPECT_EQ(system.wallpaper, "");
}

// Each located URL in turn differs from the one before, if only in a letter's case: each is downloaded.
TEST_F(UpdateCycleTest, ChangedStripIsDownloadedAgain) {
    for (const std::string& strip : {kStripUrl, std::string("http://comic.example/strips/2003-03-17.gif"),
                                    std::string("http://comic.example/strips/a.png"),
                                    std::string("http://comic.example/strips/A.png")}) {
        system.pages[kPageUrl] = PageNaming(strip);
        system.images[strip] = kGoodImage;
        const auto messages = Run();
        EXPECT_EQ(messages.back(), "Done!") << strip;
        EXPECT_EQ(messages.end()[-4], "Downloading < " + strip + " >");
    }
}

TEST_F(UpdateCycleTest, PageWithoutMarkersIsReported) {
    system.pages[kPageUrl] = "<html><img alt=\"latest strip\" SRC=\"/a.gif\"></html>";
    EXPECT_EQ(Run(), (std::vector<std::string>{"", "Opening < http://comic.example/ >", "Locating image...",
                                               "Unable to locate image"}));
    EXPECT_EQ(system.calls.size(), 2u);
}

TEST_F(UpdateCycleTest, LocatorOverflowIsAnErrorLine) {
    system.pages[kPageUrl] = PageNaming(std::string(40000, 'a'));
    EXPECT_EQ(Run(), (std::vector<std::string>{"", "Opening < http://comic.example/ >", "Locating image...",
                                               "Error: Overflow"}));
}

TEST_F(UpdateCycleTest, RelativeStripIsResolvedForTheDownloadOnly) {
    system.pages[kPageUrl] = PageNaming("/strips/today.gif");
    system.images["http://comic.example/strips/today.gif"] = kGoodImage;
    const auto messages = Run();
    EXPECT_EQ(messages[3], "Downloading < http://comic.example/strips/today.gif >");
    EXPECT_EQ(messages.back(), "Done!");
    EXPECT_EQ(system.calls[2], "ResolveUrl http://comic.example/ /strips/today.gif");
    EXPECT_EQ(system.calls[3], "FetchBytes http://comic.example/strips/today.gif");
    // The located text is what is remembered and compared.
    EXPECT_EQ(Run().back(), "Image hasn't changed!");
}

TEST_F(UpdateCycleTest, AbsoluteStripIsNotResolved) {
    Run();
    for (const std::string& call : system.calls) EXPECT_EQ(call.rfind("ResolveUrl", 0), std::string::npos);
}

TEST_F(UpdateCycleTest, OnlyHttpAndHttpsStripsAreFetched) {
    for (const char* strip : {"file:///c:/windows/win.ini", "ftp://comic.example/a.gif", "c:/x.gif",
                                    "FILE:c:\\boot.ini", "res://shell32.dll/1"}) {
        SCOPED_TRACE(strip);
        system.pages[kPageUrl] = PageNaming(strip);
        system.calls.clear();
        const auto messages = Run();
        EXPECT_EQ(messages.back().rfind("Error: ", 0), 0u) << messages.back();
        EXPECT_EQ(messages[messages.size() - 2], "Locating image...");
        EXPECT_EQ(system.calls.size(), 2u) << "nothing fetched or resolved";
        EXPECT_EQ(Run().back(), "Image hasn't changed!") << "a refused strip is not tried again";
    }
    system.pages[kPageUrl] = PageNaming("HTTPS://comic.example/a.gif");
    system.images["HTTPS://comic.example/a.gif"] = kGoodImage;
    EXPECT_EQ(Run().back(), "Done!") << "the scheme is case-insensitive";
}

TEST_F(UpdateCycleTest, StripWithControlCharactersIsRefused) {
    for (const std::string& strip : {std::string("http://comic.example/a\r\nb.gif"), std::string("/a\tb.gif"),
                                    std::string("http://comic.example/a\x7f.gif")}) {
        system.pages[kPageUrl] = PageNaming(strip);
        system.calls.clear();
        const auto messages = Run();
        EXPECT_EQ(messages.back(), "Error: The strip URL contains control characters");
        EXPECT_EQ(system.calls.size(), 2u);
    }
}

// A strip URL is fetched as located: a space is no control character, and a colon later in a relative
// path does not make it a URL with a scheme.
TEST_F(UpdateCycleTest, SpacesAndLaterColonsAreOrdinaryUrlCharacters) {
    const std::string spaced = "http://comic.example/strips/today strip.gif";
    system.pages[kPageUrl] = PageNaming(spaced);
    system.images[spaced] = kGoodImage;
    auto messages = Run();
    EXPECT_EQ(messages[3], "Downloading < " + spaced + " >");
    EXPECT_EQ(messages.back(), "Done!");

    system.pages[kPageUrl] = PageNaming("strips/a:b.gif");
    system.images["http://comic.example/strips/a:b.gif"] = kGoodImage;
    system.calls.clear();
    messages = Run();
    EXPECT_EQ(messages.back(), "Done!");
    EXPECT_EQ(system.calls.at(2), "ResolveUrl http://comic.example/ strips/a:b.gif");
    EXPECT_EQ(system.calls.at(3), "FetchBytes http://comic.example/strips/a:b.gif");

    // A C1 control (U+0085 in UTF-8) is fetched as located, and shown as U+FFFD.
    system.pages[kPageUrl] = PageNaming("http://comic.example/a\xC2\x85.gif");
    system.images["http://comic.example/a\xC2\x85.gif"] = kGoodImage;
    messages = Run();
    EXPECT_EQ(messages[messages.size() - 4], "Downloading < http://comic.example/a\xEF\xBF\xBD.gif >");
}

// Whatever an operation throws, the cycle ends with one "Error: " sentence and the next cycle runs.
TEST_F(UpdateCycleTest, FailuresOfAnyTypeEndInOneErrorSentence) {
    struct Case {
        std::function<void()> thrower;
        std::string line;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); }, "Error: Not enough memory to finish the update"},
        {[] { throw std::out_of_range("vector::at"); }, "Error: An unexpected error ended the update (vector::at)"},
        {[] { throw std::runtime_error(""); }, "Error: An unexpected error ended the update"},
        {[] { throw 42; }, "Error: An unexpected error ended the update"},
    };
    for (const Case& c : cases) {
        FakeSystemOperations fresh;
        fresh.pages[kPageUrl] = PageNaming(kStripUrl);
        fresh.images[kStripUrl] = kGoodImage;
        ActivityLog freshLog([] { return LocalTime{2003, 3, 16, 20, 22, 29}; });
        test::LogCopy freshShown(freshLog);
        UpdateCycle freshCycle(fresh, freshLog, kPageUrl, kBitmap);
        fresh.ThrowAt(Op::LoadPicture, c.thrower);
        freshCycle.GetUpdate();
        const auto messages = Messages(freshShown.Text());
        EXPECT_EQ(messages, (std::vector<std::string>{"", kOpeningLine, "Locating image...",
                                                      "Downloading < " + kStripUrl + " >", "Converting to bitmap...",
                                                      c.line}));
        freshCycle.GetUpdate();
        EXPECT_EQ(Messages(freshShown.Text()).back(), "Image hasn't changed!");
    }
}

TEST_F(UpdateCycleTest, RefusedWallpaperIsNotDone) {
    system.FailAt(Op::SetWallpaper, "The wallpaper could not be set");
    const auto messages = Run();
    EXPECT_EQ(messages[messages.size() - 2], "Setting as wallpaper...");
    EXPECT_EQ(messages.back(), "Error: The wallpaper could not be set");
}

TEST_F(UpdateCycleTest, UndecodableImageIsAnErrorAndNotRetried) {
    system.images[kStripUrl] = {'<', 'h', 't', 'm', 'l', '>'};
    auto messages = Run();
    EXPECT_EQ(messages.back(), "Error: The picture cannot be decoded");
    EXPECT_EQ(Bitmap(), kOldBitmap);
    EXPECT_EQ(system.wallpaper, "");
    EXPECT_EQ(Run().back(), "Image hasn't changed!");
}

TEST_F(UpdateCycleTest, FallbackPathsAreTheOnesUsed) {
    system.writeFileFallback = "/home/u/AppData/Local/Temp/__dromix.tmp";
    system.saveBitmapFallback = "/home/u/AppData/Local/Dromix/dromix.bmp";
    EXPECT_EQ(Run().back(), "Done!");
    EXPECT_EQ(system.calls[4], "LoadPicture /home/u/AppData/Local/Temp/__dromix.tmp");
    EXPECT_EQ(system.calls[7], "RemoveFile /home/u/AppData/Local/Temp/__dromix.tmp");
    EXPECT_EQ(system.calls[8], "SetWallpaper /home/u/AppData/Local/Dromix/dromix.bmp");
    EXPECT_EQ(Bitmap(), kOldBitmap);
}

TEST_F(UpdateCycleTest, TemporaryFileLivesInTheProgramDirectory) {
    for (const auto& [applicationPath, temporary] :
         std::vector<std::pair<std::string, std::string>>{{"C:\\Apps", "C:\\Apps\\__dromix.tmp"},
                                                          {"C:\\Apps\\", "C:\\Apps\\__dromix.tmp"},
                                                          {"C:\\", "C:\\__dromix.tmp"}}) {
        FakeSystemOperations fresh;
        fresh.applicationPath = applicationPath;
        fresh.pages[kPageUrl] = PageNaming(kStripUrl);
        fresh.images[kStripUrl] = kGoodImage;
        ActivityLog quiet([] { return LocalTime{}; });
        UpdateCycle freshCycle(fresh, quiet, kPageUrl, kBitmap);
        fresh.FailAt(Op::LoadPicture, "stop");
        freshCycle.GetUpdate();
        EXPECT_EQ(fresh.calls.at(3), "WriteFile " + temporary);
        EXPECT_EQ(fresh.files.at(temporary), kGoodImage) << "the raw bytes, nothing added";
    }
}

// The last strip composed again from its kept bytes, for the desktop as it is now: nothing is fetched.
// Before any strip, or once the user has chosen another wallpaper, nothing happens at all.
TEST_F(UpdateCycleTest, RecomposeOnlyWhileTheWallpaperIsTheBitmap) {
    cycle.Recompose();
    EXPECT_EQ(shown.Text(), "") << "no strip yet";
    Run();
    system.pages.clear();
    system.images.clear();
    system.calls.clear();
    system.wallpaper = "C:\\Users\\me\\beach.jpg";
    cycle.Recompose();
    EXPECT_TRUE(system.calls.empty()) << "another wallpaper chosen";
    system.wallpaper = "C:\\DROMIX.BMP";  // as Windows compares paths
    const std::size_t before = shown.Text().size();
    cycle.Recompose();
    EXPECT_EQ(Messages(shown.Text().substr(before)), (std::vector<std::string>{"", "Desktop changed", "Converting to bitmap...",
                                                                                "Setting as wallpaper...", "Done!"}));
}

TEST(GetPath, EndsInExactlyOneBackslash) {
    for (const auto& [reported, expected] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Apps", "C:\\Apps\\"}, {"C:\\Apps\\", "C:\\Apps\\"}, {"C:\\", "C:\\"}, {"", "\\"}}) {
        FakeSystemOperations system;
        system.applicationPath = reported;
        ActivityLog log([] { return LocalTime{}; });
        UpdateCycle cycle(system, log, kPageUrl, kBitmap);
        EXPECT_EQ(cycle.GetPath(), expected) << reported;
    }
}

// A failure at each operation of a changing cycle: the log up to it, then its "Error: " line.
struct FailureCase {
    Op op;
    std::vector<std::string> messagesBefore;  // after the blank line
    bool lastUrlStored;
    bool temporaryLeft;
    bool bitmapReplaced;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << "failure at operation " << static_cast<int>(c.op); }

class UpdateCycleFailure : public UpdateCycleTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateCycleFailure, IsLoggedAndLosesNothing) {
    const FailureCase& c = GetParam();
    // A relative strip, so resolving is one of the operations.
    system.pages[kPageUrl] = PageNaming("strips/today.gif");
    system.images["http://comic.example/strips/today.gif"] = kGoodImage;
    system.FailAt(c.op, "Injected failure");

    std::vector<std::string> expected{""};
    expected.insert(expected.end(), c.messagesBefore.begin(), c.messagesBefore.end());
    expected.push_back("Error: Injected failure");
    EXPECT_EQ(Run(), expected);

    EXPECT_EQ(system.files.count("C:\\Apps\\__dromix.tmp"), c.temporaryLeft ? 1u : 0u);
    ASSERT_FALSE(Bitmap().empty()) << "the wallpaper's bitmap is never emptied";
    if (c.bitmapReplaced) {
        EXPECT_EQ(Bitmap(), test::BmpFile(Picture{2, 1, {{10, 20, 30, 0, 40, 50, 60, 0}}}));
    } else {
        EXPECT_EQ(Bitmap(), kOldBitmap);
    }
    EXPECT_EQ(system.wallpaper, "");
    EXPECT_EQ(Remembers("strips/today.gif"), c.lastUrlStored);
}

const std::string kDownloading = "Downloading < http://comic.example/strips/today.gif >";

std::string FailureName(const ::testing::TestParamInfo<FailureCase>& param) {
    static const char* const names[] = {"ApplicationPath", "FetchPage",  "FetchBytes", "ResolveUrl",  "WriteFile",
                                        "RemoveFile",      "LoadPicture", "ReadDesktop", "SaveBitmap",
                                        "SetWallpaper"};
    return names[static_cast<int>(param.param.op)];
}

INSTANTIATE_TEST_SUITE_P(
    EachOperation, UpdateCycleFailure,
    ::testing::Values(
        FailureCase{Op::ApplicationPath, {}, false, false, false},
        FailureCase{Op::FetchPage, {kOpeningLine}, false, false, false},
        FailureCase{Op::ResolveUrl, {kOpeningLine, "Locating image..."}, true, false, false},
        FailureCase{Op::FetchBytes, {kOpeningLine, "Locating image...", kDownloading}, true, false, false},
        FailureCase{Op::WriteFile, {kOpeningLine, "Locating image...", kDownloading}, true, false, false},
        FailureCase{Op::LoadPicture, {kOpeningLine, "Locating image...", kDownloading, "Converting to bitmap..."},
                    true, true, false},
        FailureCase{Op::ReadDesktop, {kOpeningLine, "Locating image...", kDownloading, "Converting to bitmap..."},
                    true, true, false},
        FailureCase{Op::SaveBitmap, {kOpeningLine, "Locating image...", kDownloading, "Converting to bitmap..."},
                    true, true, false},
        FailureCase{Op::RemoveFile, {kOpeningLine, "Locating image...", kDownloading, "Converting to bitmap..."},
                    true, true, true},
        FailureCase{Op::SetWallpaper,
                    {kOpeningLine, "Locating image...", kDownloading, "Converting to bitmap...",
                     "Setting as wallpaper..."},
                    true, false, true}),
    FailureName);

}  // namespace
}  // namespace dromix
