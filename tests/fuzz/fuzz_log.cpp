// Fuzzes the activity log's trim: arbitrary earlier text and messages through ActivityLog, and
// arbitrary text through TrimLog.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "activity_log.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::size_t CountBreaks(const std::string& text) {
    std::size_t breaks = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++breaks;
    return breaks;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const dromix::LocalTime now{in.ConsumeIntegralInRange(1601, 9999), in.ConsumeIntegralInRange(1, 12),
                                in.ConsumeIntegralInRange(1, 31),     in.ConsumeIntegralInRange(0, 23),
                                in.ConsumeIntegralInRange(0, 59),     in.ConsumeIntegralInRange(0, 59)};

    // TrimLog alone: at most 101 breaks afterwards, a suffix of the text, and trimming again changes nothing.
    const std::string raw = in.ConsumeRandomLengthString(1 << 16);
    std::string trimmed = raw;
    dromix::TrimLog(trimmed);
    Check(EndsWith(raw, trimmed));
    if (CountBreaks(raw) > 100) {
        Check(CountBreaks(trimmed) == 101 && trimmed.compare(0, 2, "\r\n") == 0);
    } else {
        Check(trimmed == raw);
    }
    std::string again = trimmed;
    dromix::TrimLog(again);
    Check(again == trimmed);

    // The log: whatever it held before (the raw blank lines are not trimmed), each AddLog leaves at most
    // 101 breaks and ends with the new line.
    // Its text as a window keeps it, from the changes alone: each removes what the copy starts with.
    dromix::ActivityLog log([&now] { return now; });
    std::string text;
    log.OnChange([&text](const dromix::LogChange& change) {
        Check(text.compare(0, change.removed.size(), change.removed) == 0);
        text.erase(0, change.removed.size());
        text += change.appended;
    });
    log.AppendRaw(raw);
    while (in.remaining_bytes() > 0) {
        const bool rawBreak = in.ConsumeBool();
        if (rawBreak) log.AppendRaw("\r\n");
        const std::string message = in.ConsumeRandomLengthString(4096);
        const std::string before = text;
        log.AddLog(message);
        const std::string line = dromix::FormatLogLine(now, message);
        Check(line.size() == 22 + message.size() + 2);
        Check(CountBreaks(text) <= 101);
        Check(EndsWith(before + line, text));
        if (CountBreaks(line) <= 100) Check(EndsWith(text, line));
        if (CountBreaks(before + line) > 100) {
            Check(CountBreaks(text) == 101 && text.compare(0, 2, "\r\n") == 0);
        } else {
            Check(text == before + line);
        }
    }
    return 0;
}
