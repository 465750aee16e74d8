#pragma once
// One update cycle: fetch the front page, locate the strip, and for a new strip download it, convert
// it to the bitmap file and make that the wallpaper, logging every step and any failure. The bitmap
// holds the strip as the desktop shows it (see wallpaper_layout.h).
#include <string>
#include <string_view>

#include "log_sink.h"
#include "system_operations.h"

namespace dromix {

inline constexpr std::string_view kTempFileName = "__dromix.tmp";
// No strip URL equals this, so the first cycle always downloads.
inline constexpr std::string_view kNoStripYet = "!";

class UpdateCycle {
public:
    // Fetches `pageUrl`; a new strip becomes the bitmap at `bitmapPath` (or the per-user place the
    // system operations choose when that one is refused).
    UpdateCycle(SystemOperations& system, LogSink& log, std::string pageUrl, std::string bitmapPath)
        : system_(system), log_(log), pageUrl_(std::move(pageUrl)), bitmapPath_(std::move(bitmapPath)) {}

    // Runs one cycle. Never throws: any failure becomes one "Error: " line. One cycle runs at a time:
    // the caller never starts another before this one has returned.
    void GetUpdate() noexcept;

    // The program's directory with exactly one trailing backslash.
    std::string GetPath();
    // Where the cycle writes the downloaded picture: kTempFileName in that directory.
    std::string TemporaryPath();

private:
    void Run();
    std::string DownloadUrl(const std::string& located, const std::string& pageUrl);

    SystemOperations& system_;
    LogSink& log_;
    const std::string pageUrl_;
    const std::string bitmapPath_;
    // The located strip URL of the last download attempt.
    std::string lastUrl_{kNoStripYet};
};

}  // namespace dromix
