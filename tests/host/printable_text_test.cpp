#include "printable_text.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

// Every control character (C0, DEL, and C1 in UTF-8) becomes one U+FFFD; every other byte stays,
// whatever the text's encoding.
TEST(Printable, EachControlCharacterBecomesOneReplacementAndNothingElseChanges) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(Printable(std::string("a\0\x1F \x7F~", 6)), "a" + r + r + " " + r + "~");
    EXPECT_EQ(Printable("\r\n\xC2\x80\xC2\x9F\xC2\xA0\xC3\xA9"), r + r + r + r + "\xC2\xA0\xC3\xA9");
    EXPECT_EQ(Printable("caf\xE9 \x85\xC2"), "caf\xE9 \x85\xC2");
}

}  // namespace
}  // namespace dromix
