#pragma once
// Where the update cycle writes its log.
#include <string>

namespace dromix {

class LogSink {
public:
    virtual ~LogSink() = default;
    // A timestamped line with `message` (see ActivityLog).
    virtual void AddLog(const std::string& message) = 0;
    // Raw text appended as it is, without stamp or trim (the blank line before each cycle).
    virtual void AppendRaw(const std::string& text) = 0;
};

}  // namespace dromix
