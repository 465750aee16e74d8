#include "url_bytes.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

TEST(EscapeUrlBytes, KeepsTheBytesEscapingOnlyWhatAUrlCannotCarry) {
    // A windows-1252 page's "é" is the one byte E9; a UTF-8 page's is C3 A9. Each is sent as it came.
    EXPECT_EQ(EscapeUrlBytes("http://c.test/strips/caf\xE9.gif"), "http://c.test/strips/caf%E9.gif");
    EXPECT_EQ(EscapeUrlBytes("http://c.test/strips/caf\xC3\xA9.gif"), "http://c.test/strips/caf%C3%A9.gif");
    EXPECT_EQ(EscapeUrlBytes("strips/today strip.gif"), "strips/today%20strip.gif");
    EXPECT_EQ(EscapeUrlBytes("a\"<>`{}\x7F\x1F" "b"), "a%22%3C%3E%60%7B%7D%7F%1Fb");
    // Already escaped text, the colon, query and fragment pass unchanged.
    const std::string plain = "https://u:p@c.test:8080/a%20b/a:b.gif?x=1&y=%E9#top~!$'()*+,;=@[]|\\^";
    EXPECT_EQ(EscapeUrlBytes(plain), plain);
    EXPECT_EQ(EscapeUrlBytes(""), "");
}

}  // namespace
}  // namespace dromix
