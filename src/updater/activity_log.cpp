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

void TrimLog(std::string& text) {
    int breaks = 0;
    // j is the index of a CR that may start a CR LF; the last possible one is size() - 2.
    for (std::size_t j = text.size() < 2 ? 0 : text.size() - 1; j-- > 0;) {
        if (text[j] == '\r' && text[j + 1] == '\n' && ++breaks > kLogLineLimit) {
            text.erase(0, j);
            return;
        }
    }
}

void ActivityLog::AddLog(const std::string& message) {
    text_ += FormatLogLine(clock_(), message);
    TrimLog(text_);
    Changed();
}

void ActivityLog::AppendRaw(const std::string& text) {
    text_ += text;
    Changed();
}

void ActivityLog::Changed() {
    if (listener_) listener_();
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
