#include "log_relay.h"

#include <utility>

#include "handles.h"

namespace dromix {

void LogRelay::Target(HWND window, UINT message) {
    const ExclusiveLock locked(lock_);
    window_ = window;
    message_ = message;
}

void LogRelay::AddLog(const std::string& message) { Push({false, clock_(), message}); }

void LogRelay::AppendRaw(const std::string& text) { Push({true, {}, text}); }

void LogRelay::Push(Entry entry) {
    const ExclusiveLock locked(lock_);
    waiting_.push_back(std::move(entry));
    // A full message queue refuses the post; the next line tries again.
    if (!posted_ && window_) posted_ = PostMessageW(window_, message_, 0, 0) != FALSE;
}

void LogRelay::DeliverTo(ActivityLog& log) {
    std::deque<Entry> entries;
    {
        const ExclusiveLock locked(lock_);
        entries.swap(waiting_);
        posted_ = false;
    }
    for (const Entry& entry : entries) {
        if (entry.raw) {
            log.AppendRaw(entry.text);
        } else {
            log.AddLogAt(entry.time, entry.text);
        }
    }
}

}  // namespace dromix
