#include "activity_log.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>

namespace dromix {
namespace {

// `value` in at least `digits` digits, zeros in front. By hand: the C library's formatted printing
// would bring about 28 KB of its own into the program.
void AppendNumber(std::string& line, int value, int digits, char after) {
    char text[12];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    line.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, digits - (end - text))), '0');
    line.append(text, static_cast<std::size_t>(end - text)).push_back(after);
}

}  // namespace

std::string FormatLogLine(const LocalTime& t, std::string_view message) {
    std::string line;
    line.reserve(22 + message.size() + 2);
    AppendNumber(line, t.month, 2, '-');
    AppendNumber(line, t.day, 2, '-');
    AppendNumber(line, t.year, 4, ' ');
    AppendNumber(line, t.hour, 2, ':');
    AppendNumber(line, t.minute, 2, ':');
    AppendNumber(line, t.second, 2, ' ');
    line.append("| ").append(message).append("\r\n");
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
