#include "printable_text.h"

namespace dromix {

std::string Printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        // C1 controls are C2 80 to C2 9F in UTF-8; the log box reads that pair as one character.
        const bool c1 =
            byte == 0xC2 && at + 1 < text.size() && (static_cast<unsigned char>(text[at + 1]) & 0xE0u) == 0x80u;
        if (byte < 0x20 || byte == 0x7F || c1) {
            shown += kReplacementCharacter;
            if (c1) ++at;
        } else {
            shown += text[at];
        }
    }
    return shown;
}

}  // namespace dromix
