#include "cycle_worker.h"

#include <process.h>

#include <stdexcept>

namespace dromix {

CycleWorker::~CycleWorker() {
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

bool CycleWorker::Running() const { return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT; }

void CycleWorker::Start() {
    if (busy_) return;
    // The previous thread is past its cycle; once it has ended, nothing of it uses the cycle's state.
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    busy_ = true;
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CycleWorker::Run, this, 0, nullptr);
    if (thread == 0) {
        busy_ = false;
        throw std::runtime_error("The update cycle's thread cannot be started");
    }
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

unsigned __stdcall CycleWorker::Run(void* self) {
    auto* worker = static_cast<CycleWorker*>(self);
    // When both want the processor, the window's thread comes first: a decode may wait, a click not.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    // The cycle reports its own failures in the log and never throws.
    worker->cycle_.GetUpdate();
    worker->busy_ = false;
    return 0;
}

}  // namespace dromix
