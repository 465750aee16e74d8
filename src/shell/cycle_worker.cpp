#include "cycle_worker.h"

#include <process.h>

#include <stdexcept>

namespace dromix {

CycleWorker::~CycleWorker() {
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

bool CycleWorker::Running() const { return thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT; }

void CycleWorker::Start() {
    if (Running()) return;
    // The previous thread has ended, and with it every use of the cycle's state by that thread.
    thread_.reset();
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CycleWorker::Run, this, 0, nullptr);
    if (thread == 0) throw std::runtime_error("The update cycle's thread cannot be started");
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

unsigned __stdcall CycleWorker::Run(void* self) {
    // The cycle reports its own failures in the log and never throws.
    static_cast<CycleWorker*>(self)->cycle_.GetUpdate();
    return 0;
}

}  // namespace dromix
