#pragma once
// The log's text as a window keeps it: every change applied to a copy, whose start must always be
// what the change says it removed.
#include <gtest/gtest.h>

#include <string>

#include "activity_log.h"

namespace dromix::test {

class LogCopy {
public:
    explicit LogCopy(ActivityLog& log) {
        log.OnChange([this](const LogChange& change) {
            EXPECT_EQ(text_.compare(0, change.removed.size(), change.removed), 0) << "removed text not at the start";
            text_.erase(0, change.removed.size());
            text_ += change.appended;
            ++changes_;
        });
    }
    const std::string& Text() const { return text_; }
    int Changes() const { return changes_; }

private:
    std::string text_;
    int changes_ = 0;
};

}  // namespace dromix::test
