// Fuzzes the activity log's trim: arbitrary earlier text and messages through ActivityLog, and
// arbitrary text through TrimPosition.
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

// `text` is a suffix of `head` followed by `tail`.
bool JoinEndsWith(const std::string& head, const std::string& tail, const std::string& text) {
    if (text.size() <= tail.size()) return EndsWith(tail, text);
    const std::size_t fromHead = text.size() - tail.size();
    return fromHead <= head.size() && head.compare(head.size() - fromHead, fromHead, text, 0, fromHead) == 0 &&
           text.compare(fromHead, tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const dromix::LocalTime now{in.ConsumeIntegralInRange(1601, 9999), in.ConsumeIntegralInRange(1, 12),
                                in.ConsumeIntegralInRange(1, 31),     in.ConsumeIntegralInRange(0, 23),
                                in.ConsumeIntegralInRange(0, 59),     in.ConsumeIntegralInRange(0, 59)};

    // The trim alone: at most 101 breaks afterwards, a suffix of the text, and trimming again changes nothing.
    const std::string raw = in.ConsumeRandomLengthString(1 << 16);
    const std::string trimmed = raw.substr(dromix::TrimPosition(raw));
    Check(EndsWith(raw, trimmed));
    if (CountBreaks(raw) > 100) {
        Check(CountBreaks(trimmed) == 101 && trimmed.compare(0, 2, "\r\n") == 0);
    } else {
        Check(trimmed == raw);
    }
    Check(dromix::TrimPosition(trimmed) == 0);

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
    // The text's breaks, kept up to date rather than counted afresh (counting took most of the time).
    // A line starts with a digit, so no CR LF spans the join of the text and a line.
    std::size_t breaks = CountBreaks(raw);
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeBool()) {
            log.AppendRaw("\r\n");
            ++breaks;
        }
        const std::string message = in.ConsumeRandomLengthString(4096);
        const std::string before = text;
        log.AddLog(message);
        const std::string line = dromix::FormatLogLine(now, message);
        const std::size_t lineBreaks = CountBreaks(line);
        Check(line.size() == 22 + message.size() + 2);
        if (breaks + lineBreaks > 100) {
            breaks = CountBreaks(text);
            Check(breaks == 101 && text.compare(0, 2, "\r\n") == 0);
            Check(JoinEndsWith(before, line, text));
            if (lineBreaks <= 100) Check(EndsWith(text, line));
        } else {
            Check(text.size() == before.size() + line.size() && text.compare(0, before.size(), before) == 0 &&
                  EndsWith(text, line));
            breaks += lineBreaks;
        }
    }
    return 0;
}
