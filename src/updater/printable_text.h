#pragma once
// Text from outside the program (a server's status text, a Location header, a URL a page names) as a
// log sentence may carry it. The log counts its lines by CR LF and the log box ends its text at a NUL:
// a control character inside a sentence would make the two disagree. A character that breaks a line
// or turns the direction of what follows would let the text make its own line read differently.
#include <string>
#include <string_view>

namespace dromix {

// What every control character is shown as: U+FFFD, in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// `text` with every control character replaced by kReplacementCharacter: C0 00–1F, DEL 7F, and in
// UTF-8 the C1 controls U+0080–U+009F, the bidirectional controls (U+061C, U+200E, U+200F,
// U+202A–U+202E, U+2066–U+2069) and the line and paragraph separators U+2028 and U+2029. Every other
// byte stays as it is, whatever the text's encoding.
std::string Printable(std::string_view text);

}  // namespace dromix
