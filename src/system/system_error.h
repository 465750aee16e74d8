#pragma once
// The system's own description of an error code, for the log's "Error: " lines.
#include <windows.h>

#include <string>
#include <string_view>

namespace dromix {

// The message for a Win32 error or HRESULT; WinINet's own codes (12001–12175) come from wininet.dll.
// Where the system has no text the program's own sentence stands in; a code nobody knows still reads
// as a sentence. Certificate faults always read as the program's own sentences.
std::string SystemMessage(DWORD code);

// The program's own sentence for a certificate fault (WinINet's 12037, 12038, 12044, 12045, 12055–12057,
// 12169, 12170, 12178, 12179), or nullptr.
const char* CertificateErrorText(DWORD code);
// The program's own sentence for any code a transfer, file or picture operation can report, or nullptr.
const char* OwnErrorText(DWORD code);

// Throws UpdateError with SystemMessage(code), preceded by `context` when that is not empty.
[[noreturn]] void ThrowSystemError(DWORD code, std::string_view context = {});
[[noreturn]] void ThrowLastError(std::string_view context = {});

}  // namespace dromix
