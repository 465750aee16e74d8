#pragma once
// Runs a blocking job on a worker thread while the calling thread keeps dispatching its window
// messages, so a window on the calling thread never stops responding.
#include <windows.h>

#include <functional>

namespace dromix {

struct PumpedWaitOptions {
    // After this long, `onOverrun` is called once on the calling thread to make the job return
    // (for a transfer: close its request handle). INFINITE: never.
    DWORD deadlineMs = INFINITE;
    std::function<void()> onOverrun;
};

// Runs `job` on a new thread and returns when it has ended (the thread is always joined). An
// exception thrown by the job is rethrown here. A WM_QUIT taken from the queue while waiting is
// posted again before returning, so the caller's message loop still sees it. Returns true when
// the deadline passed.
bool RunWhilePumping(const std::function<void()>& job, const PumpedWaitOptions& options = {});

}  // namespace dromix
