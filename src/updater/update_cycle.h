#pragma once
// One update cycle: fetch the front page, locate the strip, and for a new strip download it, convert
// it to the bitmap file and make that the wallpaper, logging every step and any failure.
#include <string>
#include <string_view>

#include "log_sink.h"
#include "system_operations.h"

namespace dromix {

inline constexpr std::string_view kTempFileName = "__dromix.tmp";
inline constexpr std::string_view kBitmapPath = "c:\\dromix.bmp";
// No strip URL equals this, so the first cycle always downloads.
inline constexpr std::string_view kNoStripYet = "!";

class UpdateCycle {
public:
    UpdateCycle(SystemOperations& system, LogSink& log, std::string pageUrl)
        : system_(system), log_(log), pageUrl_(std::move(pageUrl)) {}

    // Runs one cycle. Never throws: any failure becomes one "Error: " line. A call made while a
    // cycle is running (from a message processed during a transfer) does nothing.
    void GetUpdate();

    // The program's directory with exactly one trailing backslash.
    std::string GetPath();

    // The located strip URL of the last download attempt.
    const std::string& LastUrl() const { return lastUrl_; }
    bool Running() const { return running_; }

private:
    void RunReportingErrors() noexcept;
    void Run();
    std::string DownloadUrl(const std::string& located);

    SystemOperations& system_;
    LogSink& log_;
    const std::string pageUrl_;
    std::string lastUrl_{kNoStripYet};
    bool running_ = false;
};

}  // namespace dromix
