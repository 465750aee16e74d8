#pragma once
// Whole-body HTTP(S) GETs with WinINet. Every transfer is bounded by time-outs, a size limit and an
// overall deadline; it runs on a thread of its own so that the deadline can close it from outside.
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "handles.h"
#include "system_operations.h"

namespace dromix {

struct InternetHandleKind : NullIsNone<HINTERNET> {
    static bool Close(Type handle) noexcept { return InternetCloseHandle(handle) != FALSE; }
};
using UniqueInternet = UniqueHandle<InternetHandleKind>;

struct HttpTimeouts {
    DWORD connectMs = 30'000;
    DWORD receiveMs = 30'000;
    // The whole transfer, including a server that drips its body slowly enough to defeat the
    // receive time-out. Past it the request is closed from the waiting side.
    DWORD overallMs = 300'000;
};

// `relative` resolved against `base` by the system's URL combiner. The page's bytes go in as they
// are, whatever its encoding: escaped, not converted.
std::string CombineUrl(const std::string& base, const std::string& relative);

// A whole body, and the URL where the redirects that led to it ended.
struct HttpResponse {
    Bytes body;
    std::string url;
};

class HttpClient {
public:
    explicit HttpClient(HttpTimeouts timeouts = {});

    // The whole body of a GET of `url` (http or https, redirects followed). `limit` bounds the
    // body; `what` names it in errors ("page", "image"). A final status of 400 or more is an error
    // naming the status. Past the overall deadline the transfer is closed; one that does not end soon
    // after is given up, and its thread keeps what it holds until it ends.
    HttpResponse Get(const std::string& url, std::size_t limit, std::string_view what);

private:
    HttpTimeouts timeouts_;
    UniqueInternet session_;
};

}  // namespace dromix
