#include "system_error.h"

#include "errors.h"
#include "handles.h"
#include "wide_text.h"

namespace dromix {
namespace {

// The system's text for `code` on one line, with its own full stop; empty when it has none. WinINet's
// codes (12001–12999) have their texts in wininet.dll, every other code in the system's table.
std::string FormatMessageText(DWORD code) {
    const bool internet = code > INTERNET_ERROR_BASE && code < INTERNET_ERROR_BASE + 1000;
    const HMODULE wininet = internet ? GetModuleHandleW(L"wininet.dll") : nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        FORMAT_MESSAGE_MAX_WIDTH_MASK |
                        (wininet ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(flags, wininet, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory owned(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    // The text's line end (a space, once its lines are joined, or CR LF) has no place in a log line.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return WideToUtf8(text);
}

// Sentences that say more than any system's words, so they stand everywhere: a downgrade is refused by
// the transfer itself, and a refused secure channel is named with its likely cause.
const char* PreferredText(DWORD code) {
    if (const char* text = CertificateErrorText(code)) return text;
    switch (code) {
    case ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR: return "The server redirected from https to http";
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return "The secure channel failed (the server offers no protocol or cipher this system accepts)";
    default: return nullptr;
    }
}

// Codes a transfer or a picture can end with for which Wine 8 (64- and 32-bit) has no text. Wine's
// WinINet passes on the socket's own error when a connection fails part-way.
const char* StandInText(DWORD code) {
    switch (code) {
    case ERROR_HTTP_INVALID_SERVER_RESPONSE: return "The server's answer is not valid HTTP";
    case WSAENETDOWN: return "The network is down";
    case WSAENETUNREACH: return "The network cannot be reached";
    case WSAENETRESET: return "The network dropped the connection";
    case WSAECONNABORTED: return "The connection was aborted";
    case WSAETIMEDOUT: return "The connection timed out";
    case WSAEHOSTDOWN: return "The server is down";
    case WSAEHOSTUNREACH: return "The server cannot be reached";
    case static_cast<DWORD>(REGDB_E_CLASSNOTREG): return "A needed system component is not registered";
    case static_cast<DWORD>(WINCODEC_ERR_VALUEOUTOFRANGE): return "A picture value is out of range";
    case static_cast<DWORD>(WINCODEC_ERR_PALETTEUNAVAILABLE): return "The picture's palette is missing";
    case static_cast<DWORD>(WINCODEC_ERR_INTERNALERROR): return "The picture decoder failed";
    case static_cast<DWORD>(WINCODEC_ERR_COMPONENTNOTFOUND): return "No decoder for this picture format was found";
    case static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT): return "The picture's pixel format is not supported";
    case static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDOPERATION): return "The picture operation is not supported";
    default: return nullptr;
    }
}

// The system's words, else the program's stand-in; empty when neither has any.
std::string WordsFor(DWORD code) {
    std::string text = FormatMessageText(code);
    if (text.empty()) {
        if (const char* standIn = StandInText(code)) text = standIn;
    }
    return text;
}

// A code nobody has words for: still a sentence, with the code for whoever looks it up.
std::string NoDescription(DWORD code) {
    std::string number = std::to_string(code);
    if (HRESULT_SEVERITY(code) == SEVERITY_ERROR) {  // as 0x and eight hexadecimal digits
        number = "0x";
        for (int shift = 28; shift >= 0; shift -= 4) number += "0123456789ABCDEF"[(code >> shift) & 0xF];
    }
    return "The system reported an error it has no description for (code " + number + ")";
}

}  // namespace

const char* CertificateErrorText(DWORD code) {
    switch (code) {
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID: return "The server's certificate has expired or is not yet valid";
    case ERROR_INTERNET_SEC_CERT_CN_INVALID: return "The server's certificate is for another host name";
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
        return "The server asks for a client certificate, which this program does not have";
    case ERROR_INTERNET_INVALID_CA:
        return "The server's certificate is not trusted (self-signed or unknown authority)";
    case ERROR_INTERNET_SEC_CERT_ERRORS: return "The server's certificate has errors";
    case ERROR_INTERNET_SEC_CERT_NO_REV: return "The server's certificate cannot be checked for revocation";
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        // Wine reports a certificate from an authority it does not know this way, too.
        return "The server's certificate could not be verified (unknown authority, or its revocation status "
               "cannot be checked)";
    case ERROR_INTERNET_SEC_INVALID_CERT: return "The server's certificate is not valid";
    case ERROR_INTERNET_SEC_CERT_REVOKED: return "The server's certificate has been revoked";
    case ERROR_INTERNET_SEC_CERT_WEAK_SIGNATURE: return "The server's certificate uses a weak signature";
    default: return nullptr;
    }
}

std::string SystemMessage(DWORD code) {
    if (const char* text = PreferredText(code)) return text;
    std::string text = WordsFor(code);
    // A Win32 error carried as an HRESULT reads as the error itself.
    if (text.empty() && HRESULT_SEVERITY(code) == SEVERITY_ERROR && HRESULT_FACILITY(code) == FACILITY_WIN32) {
        text = WordsFor(HRESULT_CODE(code));
    }
    return text.empty() ? NoDescription(code) : text;
}

void ThrowSystemError(DWORD code, std::string_view context) {
    std::string message(context);
    if (!message.empty()) message += ": ";
    throw UpdateError(message + SystemMessage(code));
}

void ThrowLastError(std::string_view context) { ThrowSystemError(GetLastError(), context); }

}  // namespace dromix
