#include "cycle_worker.h"

#include <process.h>

#include <stdexcept>

namespace dromix {

CycleWorker::CycleWorker(UpdateCycle& cycle) : cycle_(cycle), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!wake_) throw std::runtime_error("The update cycle's thread cannot be prepared");
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CycleWorker::Run, this, 0, nullptr);
    if (thread == 0) throw std::runtime_error("The update cycle's thread cannot be started");
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

CycleWorker::~CycleWorker() {
    stopping_ = true;
    SetEvent(wake_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
}

void CycleWorker::Start() {
    if (busy_.exchange(true)) return;
    cycleWanted_ = true;
    SetEvent(wake_.get());
}

void CycleWorker::Recompose() {
    recomposeWanted_ = true;
    // While busy, the worker finds the request itself once it is done.
    if (!busy_.exchange(true)) SetEvent(wake_.get());
}

unsigned __stdcall CycleWorker::Run(void* self) {
    auto* worker = static_cast<CycleWorker*>(self);
    // When both want the processor, the window's thread comes first: a decode may wait, a click not.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    for (;;) {
        WaitForSingleObject(worker->wake_.get(), INFINITE);
        if (worker->stopping_) return 0;
        // The cycle reports its own failures in the log and never throws; so does the recompose.
        do {
            if (worker->cycleWanted_.exchange(false)) worker->cycle_.GetUpdate();
            while (worker->recomposeWanted_.exchange(false)) worker->cycle_.Recompose();
            worker->busy_ = false;
            // A recompose asked for after the check above found the worker busy and left it to it.
        } while (worker->recomposeWanted_ && !worker->busy_.exchange(true));
    }
}

}  // namespace dromix
