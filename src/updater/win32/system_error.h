#pragma once
// The system's own description of an error code, for the log's "Error: " lines.
#include <windows.h>

#include <string>
#include <string_view>

namespace dromix {

// The message for a Win32 error or HRESULT; WinINet's own codes (12001–12175) come from wininet.dll.
// Falls back to "System error N" (decimal) or "System error 0x…" (HRESULT) when there is no text.
std::string SystemMessage(DWORD code);

// Throws UpdateError with SystemMessage(code), preceded by `context` when that is not empty.
[[noreturn]] void ThrowSystemError(DWORD code, std::string_view context = {});
[[noreturn]] void ThrowLastError(std::string_view context = {});

}  // namespace dromix
