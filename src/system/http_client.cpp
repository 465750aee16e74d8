#include "http_client.h"

#include <process.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "connection_cut.h"
#include "errors.h"
#include "printable_text.h"
#include "system_error.h"
#include "url_bytes.h"
#include "wide_text.h"

namespace dromix {
namespace {

constexpr wchar_t kUserAgent[] = L"Dromix";
// One fetch an hour gains nothing from a kept-alive connection; WinINet would hold its socket open.
constexpr wchar_t kCloseHeader[] = L"Connection: close\r\n";

[[noreturn]] void ThrowTooLarge(std::string_view what, std::size_t limit) {
    throw UpdateError("The " + std::string(what) + " is " + LargerThan(limit));
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
    // The page's bytes as they are, whatever its encoding: escaped, not converted.
    const std::wstring wide = Utf8ToWide(EscapeUrlBytes(url));
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUserNameLength = 1;
    parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (wide.empty() || !InternetCrackUrlW(wide.c_str(), 0, 0, &parts)) {
        throw UpdateError("The URL < " + Printable(url) + " > is not valid");
    }
    UrlParts result;
    result.scheme = parts.nScheme;
    if (result.scheme != INTERNET_SCHEME_HTTP && result.scheme != INTERNET_SCHEME_HTTPS) {
        throw UpdateError("Only http and https URLs are fetched, not < " + Printable(url) + " >");
    }
    result.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (result.host.empty()) throw UpdateError("The URL < " + Printable(url) + " > names no server");
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
// Handles are closed outside the lock: closing one can wait for the call it interrupts.
class CancellableRequest {
public:
    CancellableRequest() = default;
    CancellableRequest(const CancellableRequest&) = delete;
    CancellableRequest& operator=(const CancellableRequest&) = delete;

    // Takes ownership; false (handle closed) when the deadline has already passed.
    bool Adopt(HINTERNET request) {
        UniqueInternet owned(request);
        {
            const ExclusiveLock locked(lock_);
            if (cancelled_) return false;  // `owned` closes it, outside the lock
            request_ = std::move(owned);
        }
        return true;
    }
    // From here on no request is adopted, and the one in use is closed.
    void Cancel() {
        {
            const ExclusiveLock locked(lock_);
            cancelled_ = true;
        }
        Close();
    }
    // Closes the request in use, if the deadline has not closed it already; with `cut`, its connection
    // is cut first (only while the handle is still this request's: a closed one's may name another).
    void Close(bool cut = false) {
        UniqueInternet request;
        const ExclusiveLock locked(lock_);
        request = std::move(request_);
        if (cut && request) CutConnection(request.get());
    }  // the lock is let go before `request` closes
    bool Cancelled() {
        const SharedLock locked(lock_);
        return cancelled_;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    UniqueInternet request_;
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

constexpr int kMaxRedirects = 10;
// A transfer closed at its deadline ends within a receive at most; one that has not ended this much
// later is given up (closing reaches no call inside name resolution, for one).
constexpr DWORD kGiveUpAfterMs = 5000;

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One transfer, shared by the thread that runs it and the caller that waits for it: a transfer given
// up keeps it, and everything it uses, until its thread ends.
struct Transfer {
    Transfer(HINTERNET inSession, const HttpTimeouts& inTimeouts, std::size_t inLimit, std::string_view inWhat,
             std::string inUrl)
        : session(inSession), timeouts(inTimeouts), limit(inLimit), what(inWhat), url(std::move(inUrl)) {}

    const HINTERNET session;
    const HttpTimeouts timeouts;
    const std::size_t limit;
    const std::string what;
    std::string url;  // where the redirects have led so far
    CancellableRequest request;
    Bytes body;
    std::exception_ptr failure;
};

UniqueInternet Connect(HINTERNET session, const UrlParts& parts) {
    UniqueInternet connection(InternetConnectW(session, parts.host.c_str(), parts.port,
                                               parts.user.empty() ? nullptr : parts.user.c_str(),
                                               parts.password.empty() ? nullptr : parts.password.c_str(),
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) ThrowLastError();
    return connection;
}

HINTERNET OpenRequest(HINTERNET connection, const UrlParts& parts, const HttpTimeouts& timeouts) {
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;
    if (parts.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    const HINTERNET request =
        HttpOpenRequestW(connection, L"GET", parts.object.c_str(), nullptr, nullptr, accept, flags, 0);
    if (!request) ThrowLastError();
    // Under Wine the time-outs only take effect when set on the request itself.
    SetTimeout(request, INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs);
    SetTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs);
    SetTimeout(request, INTERNET_OPTION_SEND_TIMEOUT, timeouts.receiveMs);
    return request;
}

void Send(HINTERNET request, const std::string& url) {
    if (HttpSendRequestW(request, kCloseHeader, static_cast<DWORD>(-1), nullptr, 0)) return;
    const DWORD error = GetLastError();
    // A secure connection refused: the sentence names the problem, the URL names the server.
    if (CertificateErrorText(error) || error == ERROR_INTERNET_SECURITY_CHANNEL_ERROR) {
        throw UpdateError(SystemMessage(error) + " < " + Printable(url) + " >");
    }
    ThrowSystemError(error);
}

// The whole body, held to `limit`. Only what has arrived is read: a read of a fixed size blocks until
// that much is there, and under Wine closing the handle does not interrupt it. Between pieces the
// deadline is checked, so it is missed by one receive time-out at most.
Bytes ReadBody(HINTERNET request, std::size_t limit, std::string_view what, CancellableRequest& shared) {
    bool found = false;
    const DWORD declared = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, found);
    if (found && declared > limit) ThrowTooLarge(what, limit);
    Bytes body;
    if (found) body.reserve(declared);
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) ThrowLastError();
        if (shared.Cancelled()) throw UpdateError("The transfer was cancelled");
        if (available == 0) break;
        DWORD read = 0;
        const DWORD wanted = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        if (!InternetReadFile(request, chunk.data(), wanted, &read)) ThrowLastError();
        if (read == 0) break;
        if (body.size() + read > limit) ThrowTooLarge(what, limit);
        body.insert(body.end(), chunk.data(), chunk.data() + read);
    }
    // A connection reset mid-body can look like its end.
    if (found && body.size() != declared) {
        throw UpdateError("The connection closed after " + std::to_string(body.size()) + " of " +
                          std::to_string(declared) + " bytes of the " + std::string(what));
    }
    return body;
}

// One request of the transfer: true when it redirected (`transfer.url` then names the next one),
// false when the body has been read. A redirect from https to http is refused as WinINet refuses it
// when it follows redirects itself: nothing secure is silently dropped.
bool Hop(Transfer& transfer, int hop, bool& secure) {
    const UrlParts parts = CrackUrl(transfer.url);
    if (secure && parts.scheme == INTERNET_SCHEME_HTTP) ThrowSystemError(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
    secure = parts.scheme == INTERNET_SCHEME_HTTPS;
    const UniqueInternet connection = Connect(transfer.session, parts);
    const HINTERNET request = OpenRequest(connection.get(), parts, transfer.timeouts);
    if (!transfer.request.Adopt(request)) throw UpdateError("The transfer was cancelled");
    // The request is closed when the hop ends, before its connection; unless its body was read to
    // the end, its connection is cut first, so that nothing more of it is downloaded.
    bool bodyRead = false;
    const ScopeExit hopEnd([&] { transfer.request.Close(!bodyRead); });
    Send(request, transfer.url);

    bool found = false;
    const DWORD status = QueryNumber(request, HTTP_QUERY_STATUS_CODE, found);
    if (!found) ThrowLastError();
    if (IsRedirect(status)) {
        const std::string location = QueryText(request, HTTP_QUERY_LOCATION);
        if (location.empty()) throw UpdateError("HTTP " + std::to_string(status) + " without a new location");
        if (hop == kMaxRedirects) {
            throw UpdateError("Too many redirects (more than " + std::to_string(kMaxRedirects) + ")");
        }
        transfer.url = CombineUrl(transfer.url, location);
        return true;
    }
    if (status >= 400) {
        std::string message = "HTTP " + std::to_string(status);
        const std::string reason = QueryText(request, HTTP_QUERY_STATUS_TEXT);
        if (!reason.empty()) message += " " + Printable(reason);
        throw UpdateError(message);
    }
    transfer.body = ReadBody(request, transfer.limit, transfer.what, transfer.request);
    bodyRead = true;
    return false;
}

// Runs on the transfer's own thread: one GET through to the last byte of the body. Redirects are
// followed here rather than by WinINet, so that a redirect loop ends after a few hops (Wine would
// follow it for ever) and every hop is a request the deadline can close.
unsigned __stdcall RunTransfer(void* argument) {
    const std::unique_ptr<std::shared_ptr<Transfer>> owned(static_cast<std::shared_ptr<Transfer>*>(argument));
    Transfer& transfer = **owned;
    try {
        bool secure = false;  // the hop that redirected here was https
        for (int hop = 0; Hop(transfer, hop, secure); ++hop) {
        }
    } catch (...) {
        transfer.failure = std::current_exception();
    }
    return 0;
}

// Starts the transfer's thread, which shares `transfer`.
UniqueKernelHandle StartTransfer(const std::shared_ptr<Transfer>& transfer) {
    auto share = std::make_unique<std::shared_ptr<Transfer>>(transfer);
    const uintptr_t started = _beginthreadex(nullptr, 0, &RunTransfer, share.get(), 0, nullptr);
    if (started == 0) throw UpdateError("The transfer's thread could not be started");
    share.release();  // the thread's now
    return UniqueKernelHandle(reinterpret_cast<HANDLE>(started));
}

std::string Seconds(DWORD milliseconds) { return std::to_string(milliseconds / 1000) + " seconds"; }

}  // namespace

std::string CombineUrl(const std::string& base, const std::string& relative) {
    const auto failure = [&] {
        return "The URL < " + Printable(relative) + " > cannot be resolved against < " + Printable(base) + " >";
    };
    const std::wstring wideBase = Utf8ToWide(EscapeUrlBytes(base));
    const std::wstring wideRelative = Utf8ToWide(EscapeUrlBytes(relative));
    std::wstring combined(256, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(combined.size());
        if (InternetCombineUrlW(wideBase.c_str(), wideRelative.c_str(), combined.data(), &length, 0)) {
            combined.resize(length);
            return WideToUtf8(combined);
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            ThrowSystemError(error, failure());
        }
        combined.assign(length + 1, L'\0');
    }
    throw UpdateError(failure());
}

HttpClient::HttpClient(HttpTimeouts timeouts) : timeouts_(timeouts) {}

HttpResponse HttpClient::Get(const std::string& url, std::size_t limit, std::string_view what) {
    CrackUrl(url);  // a bad URL or scheme fails here, before any thread starts
    if (!session_) {
        session_.reset(InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session_) ThrowLastError();
    }
    const auto transfer = std::make_shared<Transfer>(session_.get(), timeouts_, limit, what, url);
    const UniqueKernelHandle thread = StartTransfer(transfer);
    if (WaitForSingleObject(thread.get(), timeouts_.overallMs) == WAIT_TIMEOUT) {
        transfer->request.Cancel();
        if (WaitForSingleObject(thread.get(), kGiveUpAfterMs) == WAIT_TIMEOUT) {
            throw UpdateError("The transfer did not finish within " + Seconds(timeouts_.overallMs) +
                              ", and did not stop when it was closed");
        }
    }
    if (transfer->failure) {
        // Whatever the closed handle made the transfer report, the cause is the deadline.
        if (transfer->request.Cancelled()) {
            throw UpdateError("The transfer did not finish within " + Seconds(timeouts_.overallMs));
        }
        std::rethrow_exception(transfer->failure);
    }
    return {std::move(transfer->body), transfer->url};
}

}  // namespace dromix
