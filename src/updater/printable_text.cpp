#include "printable_text.h"

namespace dromix {
namespace {

// The length of the UTF-8 sequence at `at` when it is one of the controls beyond C0 and DEL, else 0.
// The log box reads such a sequence as one character, whatever the rest of the text is.
std::size_t ControlSequence(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    if (byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) return 2;  // C1
    if (byte(0) == 0xD8 && byte(1) == 0x9C) return 2;                      // U+061C
    if (byte(0) != 0xE2) return 0;
    const unsigned second = byte(1), third = byte(2);
    const bool controls = (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE))) ||
                          (second == 0x81 && third >= 0xA6 && third <= 0xA9);
    return controls ? 3 : 0;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t sequence = byte < 0x20 || byte == 0x7F ? 1 : ControlSequence(text, at);
        if (sequence == 0) {
            shown += text[at++];
        } else {
            shown += kReplacementCharacter;
            at += sequence;
        }
    }
    return shown;
}

}  // namespace dromix
