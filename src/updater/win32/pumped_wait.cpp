#include "pumped_wait.h"

#include <process.h>

#include <exception>
#include <optional>

#include "errors.h"
#include "handles.h"

namespace dromix {
namespace {

struct JobContext {
    const std::function<void()>* job;
    std::exception_ptr failure;
};

unsigned __stdcall RunJob(void* argument) {
    auto* context = static_cast<JobContext*>(argument);
    try {
        (*context->job)();
    } catch (...) {
        context->failure = std::current_exception();
    }
    return 0;
}

// Dispatches everything queued for this thread; remembers a WM_QUIT instead of acting on it.
void DispatchQueued(std::optional<WPARAM>& quit) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

DWORD Remaining(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

}  // namespace

bool RunWhilePumping(const std::function<void()>& job, const PumpedWaitOptions& options) {
    JobContext context{&job, nullptr};
    const uintptr_t started = _beginthreadex(nullptr, 0, &RunJob, &context, 0, nullptr);
    if (started == 0) throw UpdateError("A worker thread could not be started");
    const UniqueKernelHandle thread(reinterpret_cast<HANDLE>(started));

    const bool bounded = options.deadlineMs != INFINITE;
    const ULONGLONG deadline = bounded ? GetTickCount64() + options.deadlineMs : 0;
    bool overran = false;
    std::optional<WPARAM> quit;
    for (;;) {
        const DWORD timeout = bounded && !overran ? Remaining(deadline) : INFINITE;
        const HANDLE handles[] = {thread.get()};
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_OBJECT_0 + 1) {
            DispatchQueued(quit);
        } else if (woke == WAIT_TIMEOUT) {
            overran = true;
            // The job still runs on our stack's data: nothing may escape before it is joined.
            try {
                if (options.onOverrun) options.onOverrun();
            } catch (...) {
            }
        } else {
            // The wait itself failed: the job is still ours to join, without pumping.
            WaitForSingleObject(thread.get(), INFINITE);
            break;
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
    if (context.failure) std::rethrow_exception(context.failure);
    return overran;
}

}  // namespace dromix
