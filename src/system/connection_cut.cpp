#include "connection_cut.h"

#include <winsock2.h>

namespace dromix {
namespace {

// Handle values are multiples of four, and a small program's stay far below this.
constexpr UINT_PTR kHighestHandle = 1u << 16;

}  // namespace

void CutConnection(HINTERNET request) noexcept {
    INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
    DWORD size = sizeof info;
    if (!InternetQueryOptionW(request, INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO, &info, &size)) return;
    if (info.Socket != 0) {
        shutdown(static_cast<SOCKET>(info.Socket), SD_BOTH);
        return;
    }
    for (UINT_PTR handle = 4; handle < kHighestHandle; handle += 4) {
        sockaddr_storage peer{};
        int length = sizeof peer;
        const auto socket = static_cast<SOCKET>(handle);
        if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0) shutdown(socket, SD_BOTH);
    }
}

}  // namespace dromix
