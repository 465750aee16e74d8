#pragma once
// The update cycle's log as the worker thread writes it: each line is stamped when its step happens
// and queued, and the main window is told to take the queue, in order, on its own thread.
#include <windows.h>

#include <deque>
#include <string>

#include "activity_log.h"
#include "log_sink.h"

namespace dromix {

class LogRelay final : public LogSink {
public:
    explicit LogRelay(Clock clock) : clock_(std::move(clock)) {}
    LogRelay(const LogRelay&) = delete;
    LogRelay& operator=(const LogRelay&) = delete;

    // Where lines go: `window` is posted `message` whenever lines wait for it.
    void Target(HWND window, UINT message);

    // Any thread.
    void AddLog(const std::string& message) override;
    void AppendRaw(const std::string& text) override;

    // On the window's thread, for `message`: every waiting entry, in order, into `log`.
    void DeliverTo(ActivityLog& log);

private:
    struct Entry {
        bool raw = false;
        LocalTime time;
        std::string text;
    };
    void Push(Entry entry);

    Clock clock_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::deque<Entry> waiting_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    bool posted_ = false;  // a message is on its way: no need for another
};

}  // namespace dromix
