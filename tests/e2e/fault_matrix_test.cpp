// The real Dromix.exe against every fault the sample site can stage, one case each. Every case
// checks the exact "Error: " line (as Wine describes it; never a bare "System error N"), that
// C:\dromix.bmp is byte for byte what it was, that the window answered all the while, and the rule of
// the last strip URL through the next cycle: a failure before the located URL is stored leaves the
// next good cycle downloading; one after it makes the next cycle with the same strip say "Image
// hasn't changed!". The https cases reach the site through the proxy's CONNECT, with certificates
// from the run's test authority, which only the tests' Wine prefix trusts.
//
// The program runs with the transfer time-outs shortened by its test hook (3 s to connect and
// receive, 10 s for a whole transfer), so a hanging or dripping server costs seconds, not minutes.
#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_support.h"
#include "reference_picture.h"

namespace dromix::e2e {
namespace {

constexpr char kOpening[] = "Opening < http://www.example.com/ >";
constexpr char kLocating[] = "Locating image...";
constexpr char kConverting[] = "Converting to bitmap...";
constexpr char kFileStripUrl[] = "file:///C:/windows/win.ini";  // what the site's file-url page names

// How far a faulty cycle gets before its last line.
enum class Stage {
    PageFetch,  // the page cannot be fetched: URL never stored
    Locate,     // the page holds no usable strip URL: URL not stored
    Refused,    // the located URL is stored but refused before any download
    Download,   // the strip cannot be fetched: URL stored
    Convert,    // the strip is no picture the decoder accepts: URL stored
    Works,      // a full cycle, the strip set
};

struct Fault {
    const char* name;
    const char* page;
    const char* image;
    Stage stage;
    std::string last = {};  // the cycle's last message
    const char* drip = nullptr;
    // For lines that name the strip (its size, its URL): the line, given the strip's name.
    std::string (*lastFor)(const std::string& strip) = nullptr;
    // A reset races the reading of what arrived before it: Wine then reports the reset itself.
    bool resetRace = false;
    const char* tls = nullptr;  // the https host the page or strip is sent to (see the site)
    // The strip URL the page names, when it is not the site's usual http one.
    std::string (*located)(const std::string& strip) = nullptr;
    // The URL the download fetches, when it differs from the located one.
    std::string (*fetched)(const std::string& strip) = nullptr;
    // For a Works row whose image the site sends in the strip's place: the sample the bitmap shows.
    const char* shown = nullptr;
};

const std::vector<std::string> kResetLines = {"Error: Connection reset by peer.",
                                              "Error: The connection with the server has been terminated."};

// The site's reset mode declares 1000 bytes more than the strip and sends half of it.
std::string ImageResetLine(const std::string& strip) {
    const std::uintmax_t size = std::filesystem::file_size(StripFile(strip));
    return "Error: The connection closed after " + std::to_string(size / 2) + " of " + std::to_string(size + 1000) +
           " bytes of the image";
}

std::string Relative(const std::string& strip) { return "strips/" + strip; }
std::string ResolvedRelative(const std::string& strip) { return "http://www.example.com/strips/" + strip; }
// Relative to where the front page moved, as a browser takes it.
std::string ResolvedWhereMoved(const std::string& strip) { return "http://www.example.com/comic/strips/" + strip; }
std::string FileUrl(const std::string&) { return kFileStripUrl; }
std::string RelativeWithColon(const std::string& strip) { return "strips/a:b-" + strip; }
std::string ResolvedWithColon(const std::string& strip) { return "http://www.example.com/strips/a:b-" + strip; }
std::string WithSpace(const std::string& strip) { return std::string(kStripPageHost) + "strips/today " + strip; }
template <const char* kHost>
std::string Https(const std::string& strip) {
    return std::string("https://") + kHost + "/strips/" + strip;
}
constexpr char kSecure[] = "secure.example.com";
constexpr char kSelfSigned[] = "self-signed.example.com";
constexpr char kUnknownAuthority[] = "unknown-authority.example.com";
constexpr char kWrongHost[] = "wrong-host.example.com";
constexpr char kExpired[] = "expired.example.com";

// Each certificate fault's line: the sentence, then the URL whose server presented it.
constexpr char kNotTrusted[] = "Error: The server's certificate is not trusted (self-signed or unknown authority)";
constexpr char kNotVerified[] = "Error: The server's certificate could not be verified (unknown authority, or its "
                                "revocation status cannot be checked)";
constexpr char kOtherHost[] = "Error: The server's certificate is for another host name";
constexpr char kExpiredLine[] = "Error: The server's certificate has expired or is not yet valid";
// Refused as WinINet refuses it when it follows redirects itself (12040), after the hop to https.
constexpr char kDowngradeLine[] = "Error: The server redirected from https to http";
template <const char* kLine, const char* kHost>
std::string CertificateLine(const std::string& strip) {
    return std::string(kLine) + " < " + Https<kHost>(strip) + " >";
}

// The windows-1252 page names the strip with "é" as the single byte E9.
std::string Windows1252Url(const std::string& strip) {
    return std::string(kStripPageHost) + "strips/caf\xE9-" + strip;
}

// A line as the log box shows it, read back as Program::Log() reads it: every character beyond ASCII
// as "?". (Right only for single-byte characters; the windows-1252 case checks the wide text itself.)
std::string AsShown(std::string line) {
    for (char& c : line) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    return line;
}

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

const std::vector<std::string> kStrips = {"strip-1.gif", "strip-2.jpg", "strip-3.png", "strip-4.jpg"};

class FaultMatrix : public ::testing::TestWithParam<Fault> {
protected:
    static void SetUpTestSuite() {
        if (!GetEnvironmentVariableW(L"DROMIX_TEST_TIMEOUT_MS", nullptr, 0)) {
            SetEnvironmentVariableW(L"DROMIX_TEST_TIMEOUT_MS", L"3000");
        }
        if (!GetEnvironmentVariableW(L"DROMIX_TEST_DEADLINE_MS", nullptr, 0)) {
            SetEnvironmentVariableW(L"DROMIX_TEST_DEADLINE_MS", L"10000");
        }
        site_ = std::make_unique<ComicSite>();
        site_->Control("reset");
        proxy_ = std::make_unique<ProxySetting>();
        proxy_->Through(site_->Port());
        program_ = std::make_unique<Program>();
        if (program_->WaitForFirstCycle().Last() == "Done!") stored_ = StripUrl(kStrips[0]);
    }
    static void TearDownTestSuite() {
        program_.reset();
        proxy_.reset();
        site_.reset();
        SetEnvironmentVariableW(L"DROMIX_TEST_TIMEOUT_MS", nullptr);
        SetEnvironmentVariableW(L"DROMIX_TEST_DEADLINE_MS", nullptr);
    }
    void SetUp() override {
        if (!program_ || program_->Process().Ended(0)) GTEST_SKIP() << "the program is no longer running";
    }

    // A strip whose URL differs from the stored one.
    static std::string FreshStrip() {
        for (;;) {
            const std::string& strip = kStrips[next_++ % kStrips.size()];
            if (stored_.find("/" + strip) == std::string::npos) return strip;
        }
    }

    static inline std::unique_ptr<ComicSite> site_;
    static inline std::unique_ptr<ProxySetting> proxy_;
    static inline std::unique_ptr<Program> program_;
    static inline std::string stored_;  // what the program's last strip URL must be
    static inline std::size_t next_ = 1;
};

TEST_P(FaultMatrix, FailsCleanlyKeepsTheWallpaperAndTheLastUrlRule) {
    const Fault& fault = GetParam();
    const std::string strip = FreshStrip();
    const std::string stripUrl = StripUrl(strip);
    site_->Strip(strip);
    site_->Control(std::string("fault?page=") + fault.page + "&image=" + fault.image +
                   (fault.drip ? std::string("&drip=") + fault.drip : std::string()) +
                   "&tls=" + (fault.tls ? fault.tls : "secure"));
    const FileState before = FileState::Of(kBitmapPath);
    ASSERT_TRUE(before.exists);

    Responsiveness probes;
    const Cycle cycle = program_->UpdateImage(&probes, std::chrono::seconds(30));
    ASSERT_TRUE(cycle.Complete()) << program_->Log();

    const std::string located = fault.located ? fault.located(strip) : stripUrl;
    const std::string fetched = fault.fetched ? fault.fetched(strip) : located;
    std::vector<std::string> expected = {kOpening};
    if (fault.stage != Stage::PageFetch) expected.push_back(kLocating);
    if (fault.stage >= Stage::Download) expected.push_back("Downloading < " + fetched + " >");
    if (fault.stage >= Stage::Convert) expected.push_back(kConverting);
    if (fault.stage == Stage::Works) {
        expected.insert(expected.end(), {"Setting as wallpaper...", "Done!"});
    } else {
        expected.push_back(fault.lastFor ? fault.lastFor(strip) : fault.last);
    }
    for (std::string& line : expected) line = AsShown(line);
    std::vector<std::string> got = cycle.messages;
    if (fault.resetRace && !got.empty() &&
        std::find(kResetLines.begin(), kResetLines.end(), got.back()) != kResetLines.end()) {
        got.back() = expected.back();
    }
    EXPECT_EQ(got, expected) << program_->Log();
    for (const std::string& message : cycle.messages) {
        EXPECT_FALSE(std::regex_search(message, std::regex("System error [0-9]+"))) << message;
    }
    // Nothing the page or a server sent turns into a replacement character.
    EXPECT_EQ(program_->WideLog().find(L'\uFFFD'), std::wstring::npos);
    if (fault.located == &Windows1252Url) {
        EXPECT_NE(program_->WideLog().find(L"Downloading < http://www.example.com/strips/caf\u00E9-" +
                                           Widen(strip) + L" >"),
                  std::wstring::npos);
        // The request carries the page's byte itself, escaped.
        EXPECT_NE(site_->Control("requests").find("\"target\": \"" + std::string(kProxiedHost) + "strips/caf%E9-" +
                                                  strip + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(probes.failed, 0) << "the window stopped answering during the cycle";
    EXPECT_GE(probes.answered, 1);

    if (fault.stage == Stage::Works) {
        const auto written = ReadBmp(ReadBytes(kBitmapPath));
        ASSERT_TRUE(written.has_value());
        EXPECT_TRUE(*written == Composed(*DecodeWithWic(Widen(StripFile(fault.shown ? fault.shown : strip))), DesktopAsSeen()));
    } else {
        EXPECT_TRUE(FileState::Of(kBitmapPath) == before) << "C:\\dromix.bmp changed";
    }

    // The next cycle, with the strip as it was and the fault gone from the image.
    const bool urlStored = fault.stage >= Stage::Refused;
    site_->Fault(urlStored ? fault.page : "ok", "ok");
    const FileState afterFault = FileState::Of(kBitmapPath);
    const Cycle next = program_->UpdateImage();
    if (urlStored) {
        EXPECT_EQ(next.messages, (std::vector<std::string>{kOpening, kLocating, "Image hasn't changed!"}));
        EXPECT_TRUE(FileState::Of(kBitmapPath) == afterFault);
        stored_ = located;
    } else {
        EXPECT_EQ(next.Last(), "Done!") << program_->Log();
        stored_ = stripUrl;
    }
    site_->NoFaults();
}

const Fault kFaults[] = {
    {"PageNotFound", "404", "ok", Stage::PageFetch, "Error: HTTP 404 Not Found"},
    {"PageServerError", "500", "ok", Stage::PageFetch, "Error: HTTP 500 Internal Server Error"},
    {"PageNeverAnswers", "hang", "ok", Stage::PageFetch, "Error: The connection with the server has been terminated."},
    {"PageDripsPastTheDeadline", "drip", "ok", Stage::PageFetch, "Error: The transfer did not finish within 10 seconds", "1.5"},
    {"PageDripsSlowerThanTheReceiveTimeOut", "drip", "ok", Stage::PageFetch, "Error: The connection timed out", "5"},
    {"PageResetMidway", "reset", "ok", Stage::PageFetch, "Error: The connection closed after 124 of 1248 bytes of the page",
     nullptr, nullptr, true},
    {"PageRedirectLoop", "redirect-loop", "ok", Stage::PageFetch, "Error: Too many redirects (more than 10)"},
    {"PageOversize", "oversize", "ok", Stage::PageFetch, "Error: The page is larger than 8 MiB"},
    {"PageOversizeUndeclared", "oversize-undeclared", "ok", Stage::PageFetch, "Error: The page is larger than 8 MiB"},
    {"PageWithoutMarkers", "no-markers", "ok", Stage::Locate, "Unable to locate image"},
    {"PageWithLowerCaseMarkers", "lowercase-markers", "ok", Stage::Locate, "Unable to locate image"},
    {"ClosingMarkerBeyond32767", "far-marker", "ok", Stage::Locate, "Error: Overflow"},
    {"FileStripUrl", "file-url", "ok", Stage::Refused,
     std::string("Error: Only http and https strip URLs are fetched, not < ") + kFileStripUrl + " >", nullptr,
     nullptr, false, nullptr, &FileUrl},
    {"RelativeStripUrlWorks", "relative-url", "ok", Stage::Works, "", nullptr, nullptr, false, nullptr, &Relative,
     &ResolvedRelative},
    {"RelativeStripUrlOnAMovedPage", "moved", "ok", Stage::Works, "", nullptr, nullptr, false, nullptr, &Relative,
     &ResolvedWhereMoved},
    {"RelativeStripUrlWithALaterColon", "colon-url", "ok", Stage::Works, "", nullptr, nullptr, false, nullptr,
     &RelativeWithColon, &ResolvedWithColon},
    {"StripUrlWithASpace", "space-url", "ok", Stage::Works, "", nullptr, nullptr, false, nullptr, &WithSpace},
    {"PageOverHttps", "redirect-https", "ok", Stage::Works, "", nullptr, nullptr, false, "secure", &Https<kSecure>},
    {"StripOverHttps", "https-strip", "ok", Stage::Works, "", nullptr, nullptr, false, "secure", &Https<kSecure>},
    {"StripRedirectedToHttps", "ok", "redirect-https", Stage::Works, "", nullptr, nullptr, false, "secure"},
    {"PageRedirectedFromHttpsToHttp", "redirect-downgrade", "ok", Stage::PageFetch, kDowngradeLine},
    {"StripRedirectedFromHttpsToHttp", "ok", "redirect-downgrade", Stage::Download, kDowngradeLine},
    {"PageSelfSigned", "redirect-https", "ok", Stage::PageFetch,
     std::string(kNotTrusted) + " < https://self-signed.example.com/redirect/page >", nullptr, nullptr, false,
     "self-signed"},
    {"StripSelfSigned", "https-strip", "ok", Stage::Download, "", nullptr, &CertificateLine<kNotTrusted, kSelfSigned>,
     false, "self-signed", &Https<kSelfSigned>},
    {"StripFromAnUnknownAuthority", "https-strip", "ok", Stage::Download, "", nullptr,
     &CertificateLine<kNotVerified, kUnknownAuthority>, false, "unknown-authority", &Https<kUnknownAuthority>},
    {"StripCertificateForAnotherHost", "https-strip", "ok", Stage::Download, "", nullptr,
     &CertificateLine<kOtherHost, kWrongHost>, false, "wrong-host", &Https<kWrongHost>},
    {"StripCertificateExpired", "https-strip", "ok", Stage::Download, "", nullptr,
     &CertificateLine<kExpiredLine, kExpired>, false, "expired", &Https<kExpired>},
    {"PageInWindows1252", "cp1252-url", "ok", Stage::Works, "", nullptr, nullptr, false, nullptr, &Windows1252Url},
    {"ImageNotFound", "ok", "404", Stage::Download, "Error: HTTP 404 Not Found"},
    {"ImageServerError", "ok", "500", Stage::Download, "Error: HTTP 500 Internal Server Error"},
    {"ImageNeverAnswers", "ok", "hang", Stage::Download, "Error: The connection with the server has been terminated."},
    {"ImageResetMidway", "ok", "reset", Stage::Download, "", nullptr, &ImageResetLine, true},
    {"ImageRedirectLoop", "ok", "redirect-loop", Stage::Download, "Error: Too many redirects (more than 10)"},
    {"ImageOversize", "ok", "oversize", Stage::Download, "Error: The image is larger than 64 MiB"},
    // Declared sizes and other formats are refused from the header, before any decoder sees it.
    {"ImageDeclares20000x20000", "ok", "huge-png", Stage::Convert, "Error: The picture is too large (20000 x 20000 pixels)"},
    {"ImageGifDeclares20000x20000", "ok", "huge-gif", Stage::Convert, "Error: The picture is too large (20000 x 20000 pixels)"},
    {"ImageJpegDeclares20000x20000", "ok", "huge-jpeg", Stage::Convert, "Error: The picture is too large (20000 x 20000 pixels)"},
    {"ImageInBmp", "ok", "bmp", Stage::Convert, "Error: The file is not a GIF, JPEG or PNG picture"},
    {"ImageInIco", "ok", "ico", Stage::Convert, "Error: The file is not a GIF, JPEG or PNG picture"},
    {"ImageInTiff", "ok", "tiff", Stage::Convert, "Error: The file is not a GIF, JPEG or PNG picture"},
    // Decoded as libjpeg decodes it, the stray bytes skipped.
    {.name = "ImageJpegWithStrayBytes", .page = "ok", .image = "stray-bytes", .stage = Stage::Works,
     .shown = "baseline.jpg"},
    // Wine's decoder would decode it; Windows' refuses it.
    {"ImageJpegArithmeticCoded", "ok", "arithmetic", Stage::Convert,
     "Error: The picture is a JPEG of a kind Windows cannot decode (arithmetic coding)"},
    // Its first image alone, on its screen with white around; the second (20000 x 20000) would make
    // Wine's decoder fail.
    {.name = "ImageGifFirstFrameOffsetOnItsScreen", .page = "ok", .image = "offset", .stage = Stage::Works,
     .shown = "offset-shown.png"},
    {"ImageTruncated", "ok", "truncated", Stage::Convert, "Error: The picture is damaged and cannot be decoded"},
    {"ImageCorrupt", "ok", "corrupt", Stage::Convert, "Error: The picture is damaged and cannot be decoded"},
    {"ImageEmpty", "ok", "empty", Stage::Convert, "Error: The picture file is empty"},
    {"HtmlServedAsImage", "ok", "html", Stage::Convert, "Error: The file is not a GIF, JPEG or PNG picture"},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& param) { return std::string(param.param.name); });

// Faults that need the program started afresh: the proxy setting is read once per run, and the
// bitmap path is refused before the first cycle. Each check is the scheduled first cycle.
class FreshRun : public ::testing::Test {
protected:
    void SetUp() override {
        site_.Control("reset");
        before_ = FileState::Of(kBitmapPath);
    }
    // Starts the program (unless the test has) and waits for its first cycle, probing the window all
    // the while.
    Cycle FirstCycle(Responsiveness& probes) {
        if (!program_) program_ = std::make_unique<Program>();
        Cycle cycle;
        WaitUntil(
            [&] {
                (program_->Answers() ? probes.answered : probes.failed)++;
                return (cycle = NewestCycle(program_->Log())).Complete();
            },
            std::chrono::seconds(40));
        return cycle;
    }
    void TearDown() override { program_.reset(); }

    ComicSite site_;
    ProxySetting proxy_;
    FileState before_;
    std::unique_ptr<Program> program_;
};

TEST_F(FreshRun, ServerDownIsRefused) {
    proxy_.Through(ClosedPort());
    Responsiveness probes;
    const Cycle cycle = FirstCycle(probes);
    EXPECT_EQ(cycle.messages, (std::vector<std::string>{kOpening, "Error: The attempt to connect to the server failed."})) << program_->Log();
    EXPECT_TRUE(FileState::Of(kBitmapPath) == before_);
    EXPECT_EQ(probes.failed, 0);
    EXPECT_GE(probes.answered, 20);  // the second or more before the first cycle, probed every 20 ms
}

// Without a proxy the program resolves the page's host itself; there is no name service here.
TEST_F(FreshRun, UnresolvableHost) {
    proxy_.Direct();
    Responsiveness probes;
    const Cycle cycle = FirstCycle(probes);
    EXPECT_EQ(cycle.messages, (std::vector<std::string>{kOpening, "Error: The server name could not be resolved."})) << program_->Log();
    EXPECT_TRUE(FileState::Of(kBitmapPath) == before_);
    EXPECT_EQ(probes.failed, 0);
    EXPECT_GE(probes.answered, 20);
}

// C:\dromix.bmp cannot be replaced (a folder stands there): the bitmap goes to the per-user folder
// and the wallpaper names that file; the log reads as usual.
TEST_F(FreshRun, RefusedBitmapPathFallsBackToThePerUserFolder) {
    proxy_.Through(site_.Port());
    site_.Strip("strip-2.jpg");
    DeleteFileW(kBitmapPath);
    ASSERT_TRUE(CreateDirectoryW(kBitmapPath, nullptr));
    wchar_t localAppData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData)));
    const std::wstring fallback = std::wstring(localAppData) + L"\\Dromix\\dromix.bmp";
    DeleteFileW(fallback.c_str());

    Responsiveness probes;
    const Cycle cycle = FirstCycle(probes);
    RemoveDirectoryW(kBitmapPath);
    const std::string stripUrl = StripUrl("strip-2.jpg");
    EXPECT_EQ(cycle.messages, (std::vector<std::string>{kOpening, kLocating, "Downloading < " + stripUrl + " >",
                                                        kConverting, "Setting as wallpaper...", "Done!"}))
        << program_->Log();
    EXPECT_EQ(WallpaperSetting(), fallback);
    const auto written = ReadBmp(ReadBytes(fallback));
    ASSERT_TRUE(written.has_value());
    EXPECT_TRUE(*written == Composed(*DecodeWithWic(Widen(StripFile("strip-2.jpg"))), DesktopAsSeen()));
    EXPECT_EQ(GetFileAttributesW((std::wstring(kBitmapPath) + L".new").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(probes.failed, 0);
}

// Wine reads the DPI as a program starts: at 144 DPI a small strip shows 1.5 times its size.
TEST_F(FreshRun, At144DpiASmallStripShowsOneAndAHalfTimesItsSize) {
    proxy_.Through(site_.Port());
    site_.Strip("indexed.gif");  // 64 x 32: 96 x 48 on the desktop
    const DWORD dpi = 144;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    {
        const ScopeExit putBack([] { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"); });
        program_ = std::make_unique<Program>();
    }
    Responsiveness probes;
    ASSERT_EQ(FirstCycle(probes).Last(), "Done!") << program_->Log();
    const Rgb strip = *DecodeWithWic(Widen(StripFile("indexed.gif")));
    EXPECT_TRUE(*ReadBmp(ReadBytes(kBitmapPath)) == Composed(strip, DesktopAsSeen(144)));
}

// A display change composes the wallpaper again from the strip the program has, with the site down.
// (Under Wine the screen of a running program cannot change on the tests' display, which has one
// mode, and the colour and work area another program sets do not reach it: the message alone comes.)
TEST_F(FreshRun, ADisplayChangeComposesTheWallpaperAgainWithoutTheNetwork) {
    proxy_.Through(site_.Port());
    site_.Strip("strip-3.png");
    Responsiveness probes;
    ASSERT_EQ(FirstCycle(probes).Last(), "Done!") << program_->Log();
    site_.Fault("404", "404");
    const FileState before = FileState::Of(kBitmapPath);
    PostMessageW(program_->Main(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    Cycle cycle;
    WaitUntil([&] { return (cycle = NewestCycle(program_->Log())).Complete() && cycle.lines.size() == 4; }, 20s);
    EXPECT_EQ(cycle.messages, (std::vector<std::string>{"Desktop changed", kConverting, "Setting as wallpaper...", "Done!"}));
    EXPECT_FALSE(FileState::Of(kBitmapPath) == before) << "the bitmap was not written again";
    EXPECT_TRUE(*ReadBmp(ReadBytes(kBitmapPath)) == Composed(*DecodeWithWic(Widen(StripFile("strip-3.png"))), DesktopAsSeen()));
}

}  // namespace
}  // namespace dromix::e2e
