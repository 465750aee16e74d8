#include "url_bytes.h"

namespace dromix {

std::string EscapeUrlBytes(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`' ||
                            c == '{' || c == '}';
        if (unsafe) {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace dromix
