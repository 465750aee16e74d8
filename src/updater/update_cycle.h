#pragma once
// One update cycle: fetch the front page, locate the strip, and for a new strip download it, convert
// it to the bitmap file and make that the wallpaper, logging every step and any failure. The bitmap
// holds the strip as the desktop shows it (see wallpaper_layout.h); when the desktop changes, the
// last strip is composed for it again.
#include <string>
#include <string_view>

#include "log_sink.h"
#include "system_operations.h"

namespace dromix {

inline constexpr std::string_view kTempFileName = "__dromix.tmp";
// No strip URL equals this, so the first cycle always downloads.
inline constexpr std::string_view kNoStripYet = "!";
// The first line of a recompose, after its blank line.
inline constexpr std::string_view kDesktopChanged = "Desktop changed";

class UpdateCycle {
public:
    // Fetches `pageUrl`; a new strip becomes the bitmap at `bitmapPath` (or the per-user place the
    // system operations choose when that one is refused).
    UpdateCycle(SystemOperations& system, LogSink& log, std::string pageUrl, std::string bitmapPath)
        : system_(system), log_(log), pageUrl_(std::move(pageUrl)), bitmapPath_(std::move(bitmapPath)) {}

    // Runs one cycle. Never throws: any failure becomes one "Error: " line. One cycle runs at a time:
    // the caller never starts another before this one has returned.
    void GetUpdate() noexcept;

    // Composes the last strip again for the desktop as it is now, without the network: a blank line,
    // kDesktopChanged, then the cycle's lines from "Converting to bitmap..." on. Does nothing (and
    // logs nothing) before a strip has become the bitmap, or when the wallpaper setting names another
    // file than the bitmap last written. Never throws; never runs beside GetUpdate.
    void Recompose() noexcept;

    // The program's directory with exactly one trailing backslash.
    std::string GetPath();
    // Where the cycle writes the downloaded picture: kTempFileName in that directory.
    std::string TemporaryPath();

private:
    template <typename Steps>
    void Guarded(Steps&& steps) noexcept;
    void Run();
    void RunRecompose();
    void Convert(Bytes& strip, const std::string& temporaryPath);
    std::string DownloadUrl(const std::string& located, const std::string& pageUrl);

    SystemOperations& system_;
    LogSink& log_;
    const std::string pageUrl_;
    const std::string bitmapPath_;
    // The located strip URL of the last download attempt.
    std::string lastUrl_{kNoStripYet};
    // The strip the bitmap holds, as downloaded (a few hundred kilobytes, where its decoded pixels
    // would take megabytes), and the bitmap written.
    Bytes shownStrip_;
    std::string shownBitmap_;
};

}  // namespace dromix
