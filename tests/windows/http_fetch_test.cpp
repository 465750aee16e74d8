// Fetches through WinINet against the local comic site: whole bodies, HTTP errors, redirects,
// time-outs and size limits.
#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comic_site_client.h"
#include "error_of.h"
#include "errors.h"
#include "system_error.h"
#include "win32_system_operations.h"

namespace dromix {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using testing::ComicSite;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Win32SystemOperations::Options ShortTimeouts() {
    Win32SystemOperations::Options options;
    options.timeouts.connectMs = 3000;
    options.timeouts.receiveMs = 2000;
    options.timeouts.overallMs = 8000;
    return options;
}

using testing::ErrorOf;

Bytes ReadSourceFile(const std::string& relative) {
    std::ifstream in(testing::SourcePath(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class HttpFetch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.Running()) << "the comic-site fixture did not start";
        site.Control("reset");
    }
    void TearDown() override { site.Control("reset"); }

    ComicSite site;
    Win32SystemOperations system{ShortTimeouts()};
};

TEST_F(HttpFetch, PageTextAndStripBytesArriveWhole) {
    const std::string page = system.FetchText(site.Url("/"));
    EXPECT_THAT(page, StartsWith("<html>"));
    EXPECT_THAT(page, HasSubstr("=\"Latest Strip\""));
    EXPECT_THAT(page, HasSubstr("SRC=\"" + site.Url("/strips/strip-1.gif") + "\">"));
    EXPECT_THAT(page, ::testing::EndsWith("</html>\n"));

    for (const char* name : {"strip-1.gif", "strip-2.jpg", "strip-4.jpg"}) {
        const Bytes expected = ReadSourceFile(std::string("tests/support/strips/") + name);
        ASSERT_FALSE(expected.empty());
        const auto start = Clock::now();
        const Bytes fetched = system.FetchBytes(site.Url(std::string("/strips/") + name));
        std::printf("[ timing ] fetch of %s (%zu bytes): %.1f ms\n", name, fetched.size(),
                    SecondsSince(start) * 1000);
        EXPECT_EQ(fetched, expected) << name;
    }
}

TEST_F(HttpFetch, ErrorStatusesAreErrorsNamingTheStatus) {
    site.Control("fault?page=404&image=500");
    EXPECT_EQ(ErrorOf([&] { system.FetchText(site.Url("/")); }), "HTTP 404 Not Found");
    EXPECT_EQ(ErrorOf([&] { system.FetchBytes(site.Url("/strips/strip-1.gif")); }),
              "HTTP 500 Internal Server Error");
    site.Control("reset");
    EXPECT_EQ(ErrorOf([&] { system.FetchBytes(site.Url("/strips/no-such.gif")); }), "HTTP 404 Not Found");
}

TEST_F(HttpFetch, RedirectsAreFollowedAbsoluteAndRelative) {
    const Bytes strip = ReadSourceFile("tests/support/strips/strip-1.gif");
    for (const char* mode : {"redirect", "redirect-relative"}) {
        site.Control(std::string("fault?page=") + mode + "&image=" + mode);
        EXPECT_THAT(system.FetchText(site.Url("/")), HasSubstr("Latest Strip")) << mode;
        EXPECT_EQ(system.FetchBytes(site.Url("/strips/strip-1.gif")), strip) << mode;
    }
}

TEST_F(HttpFetch, RedirectLoopEndsInAnError) {
    site.Control("fault?page=redirect-loop");
    const auto start = Clock::now();
    const std::string error = ErrorOf([&] { system.FetchText(site.Url("/")); });
    std::printf("[ info   ] redirect loop: \"%s\" after %.1f s\n", error.c_str(), SecondsSince(start));
    EXPECT_FALSE(error.empty());
}

TEST_F(HttpFetch, HangingServerFailsWithinTheReceiveTimeout) {
    site.Control("fault?page=hang");
    const auto start = Clock::now();
    const std::string error = ErrorOf([&] { system.FetchText(site.Url("/")); });
    const double seconds = SecondsSince(start);
    std::printf("[ timing ] hanging server: \"%s\" after %.1f s (receive time-out 2 s)\n", error.c_str(), seconds);
    EXPECT_FALSE(error.empty());
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 7.0);
}

TEST_F(HttpFetch, SlowDripIsCutOffAtTheOverallDeadline) {
    // Each piece comes well within the receive time-out; only the overall deadline ends it.
    site.Control("fault?page=drip&drip=1.5");
    Win32SystemOperations::Options options = ShortTimeouts();
    options.timeouts.receiveMs = 5000;
    options.timeouts.overallMs = 3000;
    Win32SystemOperations impatient(options);
    const auto start = Clock::now();
    const std::string error = ErrorOf([&] { impatient.FetchText(site.Url("/")); });
    const double seconds = SecondsSince(start);
    std::printf("[ timing ] overall deadline 3 s: \"%s\" after %.1f s\n", error.c_str(), seconds);
    EXPECT_EQ(error, "The transfer did not finish within 3 seconds");
    EXPECT_LT(seconds, 8.0);
}

TEST_F(HttpFetch, SlowDripWithinTheLimitsArrivesWhole) {
    site.Control("fault?image=drip&drip=0.1");
    EXPECT_EQ(system.FetchBytes(site.Url("/strips/strip-1.gif")), ReadSourceFile("tests/support/strips/strip-1.gif"));
}

TEST_F(HttpFetch, RefusedConnectionFailsAtOnce) {
    // Port 1 on loopback has no listener: the connection is refused.
    const auto start = Clock::now();
    const std::string error = ErrorOf([&] { system.FetchText("http://127.0.0.1:1/"); });
    std::printf("[ info   ] refused port: \"%s\" after %.2f s\n", error.c_str(), SecondsSince(start));
    EXPECT_FALSE(error.empty());
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST_F(HttpFetch, UnknownServerNameGivesTheSystemsDescription) {
    const std::string error = ErrorOf([&] { system.FetchText("http://no-such-host.invalid/"); });
    std::printf("[ info   ] unknown host: \"%s\"\n", error.c_str());
    EXPECT_FALSE(error.empty());
    EXPECT_THAT(error, ::testing::Not(HasSubstr("System error")));
}

TEST_F(HttpFetch, OversizeBodiesAreRefusedDeclaredOrNot) {
    for (const char* mode : {"oversize", "oversize-undeclared"}) {
        site.Control(std::string("fault?page=") + mode + "&image=" + mode);
        EXPECT_EQ(ErrorOf([&] { system.FetchText(site.Url("/")); }), "The page is larger than 8 MiB") << mode;
        EXPECT_EQ(ErrorOf([&] { system.FetchBytes(site.Url("/strips/strip-1.gif")); }),
                  "The image is larger than 64 MiB")
            << mode;
    }
}

TEST_F(HttpFetch, ConnectionResetMidBodyIsAnError) {
    site.Control("fault?image=reset");
    EXPECT_FALSE(ErrorOf([&] { system.FetchBytes(site.Url("/strips/strip-2.jpg")); }).empty());
}

TEST_F(HttpFetch, OnlyHttpAndHttpsAreFetched) {
    for (const char* url : {"file:///C:/windows/win.ini", "ftp://127.0.0.1/x.gif", "not a url"}) {
        EXPECT_FALSE(ErrorOf([&] { system.FetchBytes(url); }).empty()) << url;
    }
    EXPECT_THAT(ErrorOf([&] { system.FetchBytes("file:///C:/windows/win.ini"); }), HasSubstr("Only http and https"));
}

// A fetch an hour keeps no connection open in between: every request asks the server to close it.
TEST_F(HttpFetch, EveryRequestAsksToCloseItsConnection) {
    site.Control("reset");
    system.FetchText(site.Url("/"));
    system.FetchBytes(site.Url("/strips/strip-1.gif"));
    const std::string requests = site.Control("requests");
    EXPECT_THAT(requests, HasSubstr("\"connection\": \"close\""));
    EXPECT_THAT(requests, Not(HasSubstr("\"connection\": \"\"")));
}

TEST(SystemError, SocketErrorsReadAsWordsNotNumbers) {
    for (const DWORD code : {10053u, 10054u, 10060u, 10061u}) {
        EXPECT_THAT(SystemMessage(code), Not(StartsWith("System error"))) << code;
    }
    EXPECT_EQ(SystemMessage(0xE0001234u), "System error 0xE0001234");
}

TEST(UrlResolver, CombinesRelativeUrlsAsTheSystemDoes) {
    Win32SystemOperations system;
    EXPECT_EQ(system.ResolveUrl("http://comic.test/", "strips/a.gif"), "http://comic.test/strips/a.gif");
    EXPECT_EQ(system.ResolveUrl("http://comic.test/daily/", "a.gif"), "http://comic.test/daily/a.gif");
    EXPECT_EQ(system.ResolveUrl("http://comic.test/daily/", "/strips/a.gif"), "http://comic.test/strips/a.gif");
    EXPECT_EQ(system.ResolveUrl("http://comic.test/daily/", "../a.gif"), "http://comic.test/a.gif");
    EXPECT_EQ(system.ResolveUrl("http://comic.test/", "//cdn.test/a.gif"), "http://cdn.test/a.gif");
}

}  // namespace
}  // namespace dromix
