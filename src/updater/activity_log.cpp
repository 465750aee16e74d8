#include "activity_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace dromix {

std::string FormatLogLine(const LocalTime& t, std::string_view message) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d %02d:%02d:%02d | ", t.month, t.day, t.year,
                  t.hour, t.minute, t.second);
    std::string line;
    line.reserve(std::char_traits<char>::length(stamp) + message.size() + 2);
    line.append(stamp).append(message).append("\r\n");
    return line;
}

std::size_t TrimPosition(std::string_view text) {
    int breaks = 0;
    // j is the index of a CR that may start a CR LF; the last possible one is size() - 2.
    for (std::size_t j = text.size() < 2 ? 0 : text.size() - 1; j-- > 0;) {
        if (text[j] == '\r' && text[j + 1] == '\n' && ++breaks > kLogLineLimit) return j;
    }
    return 0;
}

void ActivityLog::AddLog(const std::string& message) { AddLogAt(clock_(), message); }

void ActivityLog::AddLogAt(const LocalTime& time, const std::string& message) {
    Append(FormatLogLine(time, message), true);
}

void ActivityLog::AppendRaw(const std::string& text) { Append(text, false); }

void ActivityLog::Append(std::string text, bool trim) {
    const std::size_t oldSize = text_.size();
    text_ += text;
    const std::size_t cut = trim ? TrimPosition(text_) : 0;
    LogChange change;
    if (cut >= oldSize) {
        // A message with more than the limit's line breaks cuts into itself.
        change.removed = text_.substr(0, oldSize);
        change.appended = text.substr(cut - oldSize);
        text_ = change.appended;
    } else {
        change.removed = text_.substr(0, cut);
        change.appended = std::move(text);
        text_.erase(0, cut);
    }
    if (listener_) listener_(change);
}

LocalTime SystemLocalTime() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace dromix
