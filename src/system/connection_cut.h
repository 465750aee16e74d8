#pragma once
// Ending a request's connection without reading the rest of its body.
#include <windows.h>
#include <wininet.h>

namespace dromix {

// Shuts down the connection under `request`, so that closing the request reads nothing more from it.
// Windows' WinINet discards an unread body when its request is closed; Wine's first reads it to its
// declared end (to keep the connection for another request), which from a fast server is all of it.
// Neither has a call that ends a connection: its socket is shut down instead, the one WinINet names
// for the request where it names one (Windows), else every connected socket of the process (Wine's
// names none). The program's only sockets are WinINet's, for one transfer at a time.
void CutConnection(HINTERNET request) noexcept;

}  // namespace dromix
