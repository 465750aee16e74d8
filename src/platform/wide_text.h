#pragma once
// Conversions at the boundary between the portable core (UTF-8) and the wide Windows API.
#include <string>
#include <string_view>

namespace dromix {

// Text that is not valid UTF-8 (a page in another encoding) is shown byte by byte as windows-1252;
// the five bytes it leaves undefined show as U+FFFD, never as C1 controls.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The text in the system's ANSI code page, or false when a character has no ANSI form.
bool WideToAnsi(std::wstring_view text, std::string& ansi);

}  // namespace dromix
