#pragma once
// Text from outside the program (a server's status text, a Location header, a URL a page names) as a
// log sentence may carry it. The log counts its lines by CR LF and the log box ends its text at a NUL:
// a control character inside a sentence would make the two disagree.
#include <string>
#include <string_view>

namespace dromix {

// What every control character is shown as: U+FFFD, in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// `text` with every control character (C0 00–1F, DEL 7F, and C1 U+0080–U+009F in UTF-8) replaced by
// kReplacementCharacter. Every other byte stays as it is, whatever the text's encoding.
std::string Printable(std::string_view text);

}  // namespace dromix
