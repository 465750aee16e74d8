#pragma once
// Runs the update cycle and its recompose on one worker thread, one at a time, so that the main window
// never waits for a transfer, a decode or a file write, and a modal loop on the window's thread (About,
// the tray popup) never holds a cycle up.
#include <windows.h>

#include <atomic>

#include "handles.h"
#include "update_cycle.h"

namespace dromix {

class CycleWorker {
public:
    explicit CycleWorker(UpdateCycle& cycle);
    // Lets a running cycle finish, then ends the thread: the cycle's objects must outlive it.
    ~CycleWorker();
    CycleWorker(const CycleWorker&) = delete;
    CycleWorker& operator=(const CycleWorker&) = delete;

    // Starts a cycle on the worker thread; does nothing while one (or a recompose) is running. Never waits.
    void Start();
    // Composes the last strip again for the desktop (UpdateCycle::Recompose) on the worker thread: at
    // once, or after what is running; requests meanwhile are one. Never waits.
    void Recompose();
    // From the start of a cycle or a recompose until its last line is written.
    bool Running() const { return busy_; }

private:
    static unsigned __stdcall Run(void* self);

    UpdateCycle& cycle_;
    UniqueKernelHandle wake_;  // set for each cycle asked for
    UniqueKernelHandle thread_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> cycleWanted_{false};
    std::atomic<bool> recomposeWanted_{false};
    std::atomic<bool> stopping_{false};
};

}  // namespace dromix
