#pragma once
// The system's own description of an error code, for the log's "Error: " lines.
#include <windows.h>
#include <wininet.h>

#include <string>
#include <string_view>

// mingw's wininet.h lacks this one of the SDK's WinINet codes.
#ifndef ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE
#define ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE (INTERNET_ERROR_BASE + 62)
#endif

namespace dromix {

// The message for a Win32 error or HRESULT, in the system's words (WinINet's own codes from wininet.dll).
// Where the program's sentence says more, or where Wine has no text, the program's sentence stands; a
// code nobody knows still reads as a sentence.
std::string SystemMessage(DWORD code);

// The program's own sentence for a certificate fault, the same on every system, or nullptr.
const char* CertificateErrorText(DWORD code);

// Throws UpdateError with SystemMessage(code), preceded by `context` when that is not empty.
[[noreturn]] void ThrowSystemError(DWORD code, std::string_view context = {});
[[noreturn]] void ThrowLastError(std::string_view context = {});

}  // namespace dromix
