#pragma once
// Runs the update cycle on a worker thread, one cycle at a time, so that the main window never waits
// for a transfer, a decode or a file write, and a modal loop on the window's thread (About, the tray
// popup) never holds a cycle up.
#include <windows.h>

#include <atomic>

#include "handles.h"
#include "update_cycle.h"

namespace dromix {

class CycleWorker {
public:
    explicit CycleWorker(UpdateCycle& cycle) : cycle_(cycle) {}
    // Waits for a running cycle: the cycle's objects must outlive it.
    ~CycleWorker();
    CycleWorker(const CycleWorker&) = delete;
    CycleWorker& operator=(const CycleWorker&) = delete;

    // Starts a cycle on a new thread; does nothing while one is running.
    void Start();
    // Whether the cycle's thread is still alive (its cycle may have ended already).
    bool Running() const;

private:
    static unsigned __stdcall Run(void* self);

    UpdateCycle& cycle_;
    UniqueKernelHandle thread_;
    // From the start of a cycle until its last line is written: a request in between does nothing.
    // The thread's own ending comes after, and a request then waits for it.
    std::atomic<bool> busy_{false};
};

}  // namespace dromix
