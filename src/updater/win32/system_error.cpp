#include "system_error.h"

#include <wininet.h>

#include <cstdio>

#include "errors.h"
#include "handles.h"
#include "wide_text.h"

namespace dromix {
namespace {

std::string FormatFrom(DWORD flags, HMODULE module, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, code,
                       0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory owned(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    // Messages end in CR LF, which a log line must not carry.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return WideToUtf8(text);
}

// Socket errors that WinINet can pass on as they are, for systems (Wine) that have no text for them.
const char* SocketErrorText(DWORD code) {
    switch (code) {
    case 10053: return "The connection was aborted";
    case 10054: return "The connection was reset by the server";
    case 10060: return "The connection timed out";
    case 10061: return "The connection was refused";
    default: return nullptr;
    }
}

}  // namespace

std::string SystemMessage(DWORD code) {
    std::string text;
    if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        if (HMODULE wininet = GetModuleHandleW(L"wininet.dll")) {
            text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, wininet, code);
        }
    }
    if (text.empty()) text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    if (text.empty() && SocketErrorText(code)) text = SocketErrorText(code);
    if (text.empty()) {
        char fallback[40];
        if (code & 0x80000000u) {
            std::snprintf(fallback, sizeof fallback, "System error 0x%08lX", static_cast<unsigned long>(code));
        } else {
            std::snprintf(fallback, sizeof fallback, "System error %lu", static_cast<unsigned long>(code));
        }
        text = fallback;
    }
    return text;
}

void ThrowSystemError(DWORD code, std::string_view context) {
    std::string message(context);
    if (!message.empty()) message += ": ";
    throw UpdateError(message + SystemMessage(code));
}

void ThrowLastError(std::string_view context) { ThrowSystemError(GetLastError(), context); }

}  // namespace dromix
