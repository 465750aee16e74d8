#include "printable_text.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

TEST(Printable, EveryControlCharacterBecomesOneReplacementAndNothingElseChanges) {
    const struct {
        std::string text, shown;
    } rows[] = {
        {"HTTP 404 Not Found", "HTTP 404 Not Found"},
        {std::string("a\0b", 3), "a\xEF\xBF\xBD" "b"},
        {"\r\n\t\x1B\x7F", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        // C1 controls in UTF-8 (U+0085, U+009F) go; U+00A0 and other characters stay.
        {"x\xC2\x85y\xC2\x9F\xC2\xA0\xC3\xA9", "x\xEF\xBF\xBDy\xEF\xBF\xBD\xC2\xA0\xC3\xA9"},
        // Bytes of another encoding stay as they came, a lone C2 at the end too.
        {"caf\xE9 \x85\xC2", "caf\xE9 \x85\xC2"},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(Printable(row.text), row.shown) << row.text;
}

}  // namespace
}  // namespace dromix
