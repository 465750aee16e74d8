#include "printable_text.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

// Every control character (C0, DEL, and in UTF-8 C1, the bidirectional controls and the line and
// paragraph separators) becomes one U+FFFD; every other byte stays, whatever the text's encoding.
TEST(Printable, EachControlCharacterBecomesOneReplacementAndNothingElseChanges) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(Printable(std::string("a\0\x1F \x7F~", 6)), "a" + r + r + " " + r + "~");
    EXPECT_EQ(Printable("\r\n\xC2\x80\xC2\x9F\xC2\xA0\xC3\xA9"), r + r + r + r + "\xC2\xA0\xC3\xA9");
    EXPECT_EQ(Printable("caf\xE9 \x85\xC2"), "caf\xE9 \x85\xC2");
    // U+202E, U+2066, U+2069, U+200F, U+061C, U+2028, U+2029; beside them U+2027, U+202F, U+2065, U+061B.
    EXPECT_EQ(Printable("a\xE2\x80\xAE" "b\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\x8F\xD8\x9C\xE2\x80\xA8\xE2\x80\xA9"),
              "a" + r + "b" + r + r + r + r + r + r);
    EXPECT_EQ(Printable("\xE2\x80\xA7\xE2\x80\xAF\xE2\x81\xA5\xD8\x9B\xE2\x80"),
              "\xE2\x80\xA7\xE2\x80\xAF\xE2\x81\xA5\xD8\x9B\xE2\x80");
}

}  // namespace
}  // namespace dromix
