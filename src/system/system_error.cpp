#include "system_error.h"

#include <wincodec.h>
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

// WinINet's codes (12001–12175) that an http(s) GET can end with, and what they mean to a user. Codes
// for dialogs and asynchronous use are here too: a transfer should never meet them, but if one comes
// it still reads as words.
const char* InternetErrorText(DWORD code) {
    switch (code) {
    case 12001: return "No more Internet handles can be opened";
    case 12002: return "The server did not answer in time";
    case 12003: return "The server returned an extended error";
    case 12004: return "An internal error occurred in the Internet transfer";
    case 12005: return "The URL is not valid";
    case 12006: return "The URL's scheme is not one the system can fetch";
    case 12007: return "The server name could not be resolved";
    case 12008: return "No suitable protocol was found for the URL";
    case 12009: return "An Internet option is not valid";
    case 12010: return "An Internet option has the wrong length";
    case 12011: return "An Internet option cannot be set";
    case 12012: return "The Internet transfer is shutting down";
    case 12013: return "The server refused the user name";
    case 12014: return "The server refused the password";
    case 12015: return "The server refused the log-in";
    case 12016: return "The server refused the requested operation";
    case 12017: return "The transfer was cancelled";
    case 12018: return "An Internet handle of the wrong type was used";
    case 12019: return "An Internet handle was used in the wrong state";
    case 12020: return "The request cannot be made through a proxy";
    case 12021: return "A registry value for the Internet settings was not found";
    case 12022: return "A registry value for the Internet settings is not valid";
    case 12023: return "Direct Internet access is not available";
    case 12024: return "The Internet transfer has no context";
    case 12025: return "The Internet transfer has no callback";
    case 12026: return "An Internet request is still pending";
    case 12027: return "The format of the request is not valid";
    case 12028: return "The requested item was not found on the server";
    case 12029: return "The attempt to connect to the server failed";
    case 12030: return "The connection with the server was ended";
    case 12031: return "The connection with the server was reset";
    case 12032: return "The request must be sent again";
    case 12033: return "The proxy request is not valid";
    case 12034: return "The server needs an answer from the user, which this program cannot give";
    case 12036: return "The Internet handle already exists";
    case 12039: return "The server redirected from http to https";
    case 12040: return "The server redirected from https to http";
    case 12041: return "The page mixes secure and insecure content";
    case 12042: return "The request would send data over an insecure connection";
    case 12043: return "The request would send data over an insecure connection";
    case 12046: return "Client authentication is not set up on this computer";
    case 12047: return "The Internet transfer could not start a thread";
    case 12048: return "The server redirected to another scheme";
    case 12049: return "The Internet transfer is waiting for a dialog";
    case 12050: return "The Internet transfer asked for a retry dialog";
    case 12052: return "The server redirected a secure submission to an insecure page";
    case 12053: return "The Internet transfer asked for a disc to be inserted";
    case 12054: return "The server needs a Fortezza log-in";
    case 12150: return "The server's answer lacks a header";
    case 12151: return "The server does not speak a recent enough HTTP";
    case 12152: return "The server's answer is not valid HTTP";
    case 12153: return "The server sent a header that is not valid";
    case 12154: return "The query of the server's answer is not valid";
    case 12155: return "The header is already present";
    case 12156: return "The server's redirect could not be followed";
    case 12157: return "The secure channel failed (the server offers no protocol or cipher this system accepts)";
    case 12158: return "The file could not be cached";
    case 12159: return "TCP/IP is not installed";
    case 12160: return "The request was not redirected";
    case 12161: return "A cookie needs confirmation";
    case 12162: return "A cookie was declined";
    case 12163: return "The computer is not connected to a network";
    case 12164: return "The server cannot be reached";
    case 12165: return "The proxy server cannot be reached";
    case 12166: return "The automatic proxy script is faulty";
    case 12167: return "The automatic proxy script could not be downloaded";
    case 12168: return "The server's redirect needs confirmation";
    case 12171: return "The transfer failed a security check";
    case 12172: return "The Internet transfer is not initialised";
    case 12173: return "The server needs an MSN authentication package";
    case 12174: return "The server refused the log-in and sent a page instead";
    case 12175: return "The server's answer could not be decoded";
    default: return nullptr;
    }
}

// Socket, file, memory and picture errors the operations can pass on, for systems (Wine) that have no
// text for them.
const char* OtherErrorText(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return "The file was not found";
    case ERROR_PATH_NOT_FOUND: return "The folder was not found";
    case ERROR_ACCESS_DENIED: return "Access is denied";
    case ERROR_INVALID_HANDLE: return "A file handle is not valid";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return "There is not enough memory";
    case ERROR_WRITE_PROTECT: return "The disk is write-protected";
    case ERROR_NOT_READY: return "The drive is not ready";
    case ERROR_SHARING_VIOLATION: return "The file is in use by another program";
    case ERROR_LOCK_VIOLATION: return "Part of the file is locked by another program";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return "The disk is full";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "The file already exists";
    case ERROR_CANNOT_MAKE: return "The file cannot be created";
    case ERROR_INVALID_PARAMETER: return "A parameter is not valid";
    case ERROR_INVALID_NAME: return "The file name is not valid";
    case ERROR_FILENAME_EXCED_RANGE: return "The file name is too long";
    case ERROR_DIRECTORY: return "The folder name is not valid";
    case ERROR_INSUFFICIENT_BUFFER: return "A buffer is too small";
    case ERROR_NO_UNICODE_TRANSLATION: return "The text cannot be translated";
    case 10013: return "The network access was refused";
    case 10048: return "The network address is already in use";
    case 10050: return "The network is down";
    case 10051: return "The network cannot be reached";
    case 10052: return "The network dropped the connection";
    case 10053: return "The connection was aborted";
    case 10054: return "The connection was reset by the server";
    case 10060: return "The connection timed out";
    case 10061: return "The connection was refused";
    case 10064: return "The server is down";
    case 10065: return "The server cannot be reached";
    case 11001: return "The server name could not be resolved";
    case 11002: return "The server name could not be resolved for now";
    case static_cast<DWORD>(E_OUTOFMEMORY): return "There is not enough memory";
    case static_cast<DWORD>(E_FAIL): return "An unspecified system failure occurred";
    case static_cast<DWORD>(E_INVALIDARG): return "A parameter is not valid";
    case static_cast<DWORD>(E_NOINTERFACE): return "A needed system interface is not available";
    case static_cast<DWORD>(REGDB_E_CLASSNOTREG): return "A needed system component is not registered";
    case static_cast<DWORD>(CO_E_NOTINITIALIZED): return "The component system is not initialised";
    case static_cast<DWORD>(RPC_E_CHANGED_MODE): return "The component system was set up in another mode";
    case static_cast<DWORD>(WINCODEC_ERR_WRONGSTATE): return "The picture decoder was used in the wrong state";
    case static_cast<DWORD>(WINCODEC_ERR_VALUEOUTOFRANGE): return "A picture value is out of range";
    case static_cast<DWORD>(WINCODEC_ERR_UNKNOWNIMAGEFORMAT): return "The picture format is unknown";
    case static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDVERSION): return "The picture format's version is not supported";
    case static_cast<DWORD>(WINCODEC_ERR_NOTINITIALIZED): return "The picture decoder is not initialised";
    case static_cast<DWORD>(WINCODEC_ERR_ALREADYLOCKED): return "The picture is locked";
    case static_cast<DWORD>(WINCODEC_ERR_PALETTEUNAVAILABLE): return "The picture's palette is missing";
    case static_cast<DWORD>(WINCODEC_ERR_CODECTOOMANYSCANLINES): return "The picture has too many rows";
    case static_cast<DWORD>(WINCODEC_ERR_INTERNALERROR): return "The picture decoder failed";
    case static_cast<DWORD>(WINCODEC_ERR_SOURCERECTDOESNOTMATCHDIMENSIONS):
        return "The picture's area does not match its size";
    case static_cast<DWORD>(WINCODEC_ERR_COMPONENTNOTFOUND): return "No decoder for this picture format was found";
    case static_cast<DWORD>(WINCODEC_ERR_IMAGESIZEOUTOFRANGE): return "The picture is too large";
    case static_cast<DWORD>(WINCODEC_ERR_TOOMUCHMETADATA): return "The picture carries too much metadata";
    case static_cast<DWORD>(WINCODEC_ERR_BADIMAGE): return "The picture is damaged";
    case static_cast<DWORD>(WINCODEC_ERR_BADHEADER): return "The picture's header is damaged";
    case static_cast<DWORD>(WINCODEC_ERR_FRAMEMISSING): return "The picture has no frame";
    case static_cast<DWORD>(WINCODEC_ERR_BADMETADATAHEADER): return "The picture's metadata is damaged";
    case static_cast<DWORD>(WINCODEC_ERR_BADSTREAMDATA): return "The picture's data is damaged";
    case static_cast<DWORD>(WINCODEC_ERR_STREAMWRITE): return "The picture could not be written";
    case static_cast<DWORD>(WINCODEC_ERR_STREAMREAD): return "The picture could not be read";
    case static_cast<DWORD>(WINCODEC_ERR_STREAMNOTAVAILABLE): return "The picture's data is not available";
    case static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT): return "The picture's pixel format is not supported";
    case static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDOPERATION): return "The picture operation is not supported";
    case static_cast<DWORD>(WINCODEC_ERR_INVALIDREGISTRATION): return "The picture decoder is not registered properly";
    case static_cast<DWORD>(WINCODEC_ERR_COMPONENTINITIALIZEFAILURE): return "The picture decoder could not start";
    case static_cast<DWORD>(WINCODEC_ERR_INSUFFICIENTBUFFER): return "The picture's buffer is too small";
    case static_cast<DWORD>(WINCODEC_ERR_UNEXPECTEDSIZE): return "The picture has an unexpected size";
    default: return nullptr;
    }
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
    case 12178: return "The server's certificate uses a weak signature";
    case 12179: return "The server's certificate could not be verified";
    default: return nullptr;
    }
}

const char* OwnErrorText(DWORD code) {
    if (const char* text = CertificateErrorText(code)) return text;
    if (const char* text = InternetErrorText(code)) return text;
    return OtherErrorText(code);
}

std::string SystemMessage(DWORD code) {
    // Certificate faults always read the same, whatever the system's own wording.
    if (const char* text = CertificateErrorText(code)) return text;
    std::string text;
    if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        if (HMODULE wininet = GetModuleHandleW(L"wininet.dll")) {
            text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, wininet, code);
        }
    }
    if (text.empty()) text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    if (text.empty() && OwnErrorText(code)) text = OwnErrorText(code);
    // A Win32 error carried as an HRESULT reads as the error itself.
    if (text.empty() && (code & 0xFFFF0000u) == 0x80070000u && OwnErrorText(code & 0xFFFFu)) {
        text = OwnErrorText(code & 0xFFFFu);
    }
    if (text.empty()) {
        // A code nobody has words for: still a sentence, with the code for whoever looks it up.
        char number[16];
        if (code & 0x80000000u) {
            std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
        } else {
            std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(code));
        }
        text = std::string("The system reported an error it has no description for (code ") + number + ")";
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
