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

// Scanning backwards, finds the (kLogLineLimit + 1)th CR LF from the end: the trim keeps the text
// from there on, so that it starts with that CR LF. 0 (keep everything) for shorter texts.
std::size_t TrimPosition(std::string_view text);

// What one change did to the log's text: `removed` was cut from the start of the old text and
// `appended` added at the end, so a window can update its copy instead of replacing all of it.
struct LogChange {
    std::string removed;
    std::string appended;
};

class ActivityLog : public LogSink {
public:
    explicit ActivityLog(Clock clock) : clock_(std::move(clock)) {}

    void AddLog(const std::string& message) override;
    // A line stamped with `time`: the moment its step happened, when that was earlier than now.
    void AddLogAt(const LocalTime& time, const std::string& message);
    void AppendRaw(const std::string& text) override;

    // Called after every change, so a window can show the new text (with the caret at its end).
    void OnChange(std::function<void(const LogChange&)> listener) { listener_ = std::move(listener); }

private:
    void Append(std::string text, bool trim);

    Clock clock_;
    std::string text_;
    std::function<void(const LogChange&)> listener_;
};

// The system's local time, for the real program.
LocalTime SystemLocalTime();

}  // namespace dromix
