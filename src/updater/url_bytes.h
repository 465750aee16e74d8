#pragma once
// A located URL is the page's own bytes, in whatever encoding the page was written. Before a request
// those bytes are made safe to send, unchanged in meaning: the same bytes, percent-encoded where a
// URL may not carry them as they are.
#include <string>
#include <string_view>

namespace dromix {

// `url` with every byte outside printable ASCII (controls, DEL, 0x80–0xFF), the space and the
// characters " < > ` { } written as %XX (upper-case hex). Everything else, "%" included, is kept:
// an already encoded URL passes unchanged.
std::string EscapeUrlBytes(std::string_view url);

}  // namespace dromix
