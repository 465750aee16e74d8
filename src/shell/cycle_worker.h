#pragma once
// Runs the update cycle on a worker thread, one cycle at a time, so that the main window never waits
// for a transfer, a decode or a file write, and a modal loop on the window's thread (About, the tray
// popup) never holds a cycle up.
#include <windows.h>

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
    bool Running() const;

private:
    static unsigned __stdcall Run(void* self);

    UpdateCycle& cycle_;
    UniqueKernelHandle thread_;
};

}  // namespace dromix
