#pragma once
// Conversions at the boundary between the portable core's UTF-8 and the wide Windows calls.
#include <string>
#include <string_view>

namespace dromix {

// Invalid UTF-8 (a page in another code page) shows as replacement characters, never fails.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace dromix
