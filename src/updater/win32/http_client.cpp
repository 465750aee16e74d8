#include "http_client.h"

#include <string>
#include <vector>

#include "errors.h"
#include "pumped_wait.h"
#include "system_error.h"
#include "wide_text.h"

namespace dromix {
namespace {

constexpr wchar_t kUserAgent[] = L"Dromix";

std::string Mebibytes(std::size_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

[[noreturn]] void ThrowTooLarge(std::string_view what, std::size_t limit) {
    throw UpdateError("The " + std::string(what) + " is larger than " + Mebibytes(limit));
}

// The parts of an absolute URL that WinINet's connect and request calls take.
struct UrlParts {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring user;
    std::wstring password;
    std::wstring object;  // path and query
};

UrlParts CrackUrl(const std::string& url) {
    const std::wstring wide = Utf8ToWide(url);
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUserNameLength = 1;
    parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (wide.empty() || !InternetCrackUrlW(wide.c_str(), 0, 0, &parts)) {
        throw UpdateError("The URL < " + url + " > is not valid");
    }
    UrlParts result;
    result.scheme = parts.nScheme;
    if (result.scheme != INTERNET_SCHEME_HTTP && result.scheme != INTERNET_SCHEME_HTTPS) {
        throw UpdateError("Only http and https URLs are fetched, not < " + url + " >");
    }
    result.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (result.host.empty()) throw UpdateError("The URL < " + url + " > names no server");
    result.port = parts.nPort;
    if (parts.lpszUserName) result.user.assign(parts.lpszUserName, parts.dwUserNameLength);
    if (parts.lpszPassword) result.password.assign(parts.lpszPassword, parts.dwPasswordLength);
    if (parts.lpszUrlPath) result.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) result.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (result.object.empty()) result.object = L"/";
    return result;
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// The request handle, shared between the worker (which opens and uses it) and the waiting thread
// (which closes it when the overall deadline passes, making the worker's blocking call return).
class CancellableRequest {
public:
    CancellableRequest() { InitializeCriticalSection(&lock_); }
    CancellableRequest(const CancellableRequest&) = delete;
    CancellableRequest& operator=(const CancellableRequest&) = delete;
    ~CancellableRequest() {
        Close();
        DeleteCriticalSection(&lock_);
    }

    // Takes ownership; false (handle closed) when the deadline has already passed.
    bool Adopt(HINTERNET request) {
        EnterCriticalSection(&lock_);
        const bool accepted = !cancelled_;
        if (accepted) request_ = request;
        LeaveCriticalSection(&lock_);
        if (!accepted) InternetCloseHandle(request);
        return accepted;
    }
    void Cancel() {
        EnterCriticalSection(&lock_);
        cancelled_ = true;
        HINTERNET request = request_;
        request_ = nullptr;
        LeaveCriticalSection(&lock_);
        if (request) InternetCloseHandle(request);
    }
    void Close() {
        EnterCriticalSection(&lock_);
        HINTERNET request = request_;
        request_ = nullptr;
        LeaveCriticalSection(&lock_);
        if (request) InternetCloseHandle(request);
    }
    bool Cancelled() {
        EnterCriticalSection(&lock_);
        const bool cancelled = cancelled_;
        LeaveCriticalSection(&lock_);
        return cancelled;
    }

private:
    CRITICAL_SECTION lock_;
    HINTERNET request_ = nullptr;
    bool cancelled_ = false;
};

DWORD QueryNumber(HINTERNET request, DWORD what, bool& found) {
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD index = 0;
    found = HttpQueryInfoW(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != FALSE;
    return value;
}

std::string QueryText(HINTERNET request, DWORD what) {
    std::wstring text(128, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD index = 0;
        if (HttpQueryInfoW(request, what, text.data(), &size, &index)) {
            text.resize(size / sizeof(wchar_t));
            return WideToUtf8(text);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        text.assign(size / sizeof(wchar_t) + 1, L'\0');
    }
    return {};
}

// Runs on the worker thread: one GET through to the last byte of the body.
Bytes Transfer(HINTERNET session, const UrlParts& url, const HttpTimeouts& timeouts, std::size_t limit,
               std::string_view what, CancellableRequest& shared) {
    const InternetHandle connection(InternetConnectW(
        session, url.host.c_str(), url.port, url.user.empty() ? nullptr : url.user.c_str(),
        url.password.empty() ? nullptr : url.password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) ThrowLastError();

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS | INTERNET_FLAG_NO_UI;
    if (url.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    HINTERNET opened =
        HttpOpenRequestW(connection.get(), L"GET", url.object.c_str(), nullptr, nullptr, accept, flags, 0);
    if (!opened) ThrowLastError();
    if (!shared.Adopt(opened)) throw UpdateError("The transfer was cancelled");
    // Under Wine the time-outs only take effect when set on the request itself.
    SetTimeout(opened, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs);
    SetTimeout(opened, INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs);
    SetTimeout(opened, INTERNET_OPTION_SEND_TIMEOUT, timeouts.receiveMs);

    if (!HttpSendRequestW(opened, nullptr, 0, nullptr, 0)) ThrowLastError();

    bool found = false;
    const DWORD status = QueryNumber(opened, HTTP_QUERY_STATUS_CODE, found);
    if (!found) ThrowLastError();
    if (status >= 400) {
        std::string message = "HTTP " + std::to_string(status);
        const std::string reason = QueryText(opened, HTTP_QUERY_STATUS_TEXT);
        if (!reason.empty()) message += " " + reason;
        throw UpdateError(message);
    }
    const DWORD declared = QueryNumber(opened, HTTP_QUERY_CONTENT_LENGTH, found);
    if (found && declared > limit) ThrowTooLarge(what, limit);

    Bytes body;
    if (found) body.reserve(declared);
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(opened, chunk.data(), static_cast<DWORD>(chunk.size()), &read)) ThrowLastError();
        if (read == 0) break;
        if (body.size() + read > limit) ThrowTooLarge(what, limit);
        body.insert(body.end(), chunk.data(), chunk.data() + read);
    }
    shared.Close();
    return body;
}

}  // namespace

HttpClient::HttpClient(HttpTimeouts timeouts) : timeouts_(timeouts) {}

Bytes HttpClient::Get(const std::string& url, std::size_t limit, std::string_view what) {
    const UrlParts parts = CrackUrl(url);
    if (!session_) {
        session_.reset(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session_) ThrowLastError();
    }

    Bytes body;
    CancellableRequest request;
    PumpedWaitOptions wait;
    wait.deadlineMs = timeouts_.overallMs;
    wait.onOverrun = [&request] { request.Cancel(); };
    HINTERNET session = session_.get();
    const HttpTimeouts timeouts = timeouts_;
    try {
        RunWhilePumping([&] { body = Transfer(session, parts, timeouts, limit, what, request); }, wait);
    } catch (const UpdateError&) {
        // Whatever the closed handle made the worker report, the cause is the deadline.
        if (request.Cancelled()) {
            throw UpdateError("The transfer did not finish within " +
                              std::to_string(timeouts_.overallMs / 1000) + " seconds");
        }
        throw;
    }
    return body;
}

}  // namespace dromix
