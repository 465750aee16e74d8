#pragma once
// The text of the activity log: timestamped lines, trimmed to a leading line break plus the newest
// 100 lines. The window shows this text; nothing is written to disk.
#include <functional>
#include <string>
#include <string_view>

#include "log_sink.h"

namespace dromix {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

using Clock = std::function<LocalTime()>;

// How many lines the log keeps after a trim.
inline constexpr int kLogLineLimit = 100;

// "mm-dd-yyyy hh:mm:ss | " + message + CR LF.
std::string FormatLogLine(const LocalTime& time, std::string_view message);

// Scanning backwards, cuts `text` at its (kLogLineLimit + 1)th CR LF from the end so that it starts
// with that CR LF; shorter texts are left alone.
void TrimLog(std::string& text);

class ActivityLog : public LogSink {
public:
    explicit ActivityLog(Clock clock) : clock_(std::move(clock)) {}

    void AddLog(const std::string& message) override;
    void AppendRaw(const std::string& text) override;

    const std::string& Text() const { return text_; }
    // Where the caret goes after every change: the end of the text.
    std::size_t Caret() const { return text_.size(); }

    // Called after every change, so a window can show the new text.
    void OnChange(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void Changed();

    Clock clock_;
    std::string text_;
    std::function<void()> listener_;
};

// The system's local time, for the real program.
LocalTime SystemLocalTime();

}  // namespace dromix
