// Times a changing update cycle against the sample comic site on loopback: each phase through the
// system operations and the core directly, the strip's composition for three desktops, then the whole
// UpdateCycle::GetUpdate with a strip URL that changes every run. Prints "RESULT <strip>.<phase>
// <median ms>" lines for scripts/bench.
//
//   dromix_cycle_bench --port PORT [--runs N] [--strips a.gif,b.jpg]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <span>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "activity_log.h"
#include "bench_support.h"
#include "bmp_writer.h"
#include "log_box.h"
#include "log_relay.h"
#include "strip_locator.h"
#include "update_cycle.h"
#include "wallpaper_picture.h"
#include "win32_system_operations.h"

namespace dromix::bench {
namespace {

// The log as the real window shows it: every change of the log text applied to the main window's own
// log box (on a hidden parent), so the whole cycle includes that work too, and to a copy the bench reads.
class ShownLog {
public:
    explicit ShownLog(ActivityLog& log)
        : parent_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 480, 195, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr)) {
        box_.emplace(parent_.get(), GetModuleHandleW(nullptr), 1);
        box_->Layout({120, 0, 6975, 2775}, 96);
        log.OnChange([this](const LogChange& change) {
            text_ = text_.substr(change.removed.size()) + change.appended;
            box_->Show(change);
        });
    }
    const std::string& Text() const { return text_; }

private:
    UniqueWindow parent_;  // destroyed after the box it holds
    std::optional<LogBox> box_;
    std::string text_;
};

class Timings {
public:
    void Add(const std::string& figure, double ms) { runs_[figure].push_back(ms); }
    void ReportAll(const std::string& prefix) const {
        for (const auto& [figure, values] : runs_) Report(prefix + "." + figure, Median(values));
    }

private:
    std::map<std::string, std::vector<double>> runs_;
};

template <typename F>
auto Timed(Timings& timings, const std::string& figure, F&& step) {
    const double start = NowMs();
    if constexpr (std::is_void_v<decltype(step())>) {
        step();
        timings.Add(figure, NowMs() - start);
    } else {
        auto result = step();
        timings.Add(figure, NowMs() - start);
        return result;
    }
}

std::string LastLine(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

// One changing cycle's phases, through the system operations and the core as the cycle calls them.
// Returns the decoded strip.
Picture TimePhases(Win32SystemOperations& system, int port, const std::string& pageUrl, const std::string& temporary,
                Timings& timings) {
    SiteControl(port, "fault?page=ok");
    const std::string page = Timed(timings, "page_fetch", [&] { return system.FetchPage(pageUrl).text; });
    const std::string url = Timed(timings, "locate", [&] {
        std::string located = page;
        LocateStrip(located);
        return located;
    });
    if (url.empty()) throw std::runtime_error("The sample page names no strip");
    const Bytes image = Timed(timings, "image_fetch", [&] { return system.FetchBytes(url); });
    const std::string written = Timed(timings, "temp_write", [&] { return system.WriteFile(temporary, image); });
    const Picture picture = Timed(timings, "decode", [&] { return system.LoadPicture(written); });
    const std::string bitmap = Timed(timings, "bitmap_write", [&] {
        ComposedWallpaper wallpaper(picture, system.ReadDesktop());
        return system.SaveBitmap(wallpaper, std::string(kBitmapPath));
    });
    Timed(timings, "temp_delete", [&] { system.RemoveFile(written); });
    Timed(timings, "wallpaper", [&] { system.SetWallpaper(bitmap); });
    return picture;
}

// The desktops the composition is timed for: width, height, DPI (a 48-pixel taskbar at the bottom).
constexpr std::uint32_t kDesktops[][3] = {{1920, 1080, 96}, {1920, 1080, 144}, {3840, 2160, 192}};

// The strip composed for each desktop and streamed through the BMP writer into `file` (reused, large
// enough for the largest): the composition's and the encoder's own cost, without the file.
void TimeComposition(const Picture& strip, std::vector<std::uint8_t>& file, Timings& timings) {
    for (const auto& [width, height, dpi] : kDesktops) {
        const auto right = static_cast<std::int32_t>(width), bottom = static_cast<std::int32_t>(height) - 48;
        const Desktop desktop{width, height, {0, 0, right, bottom}, dpi, 58, 110, 165};
        const std::string figure =
            "compose_" + std::to_string(width) + "x" + std::to_string(height) + "_" + std::to_string(dpi);
        Timed(timings, figure, [&] {
            ComposedWallpaper wallpaper(strip, desktop);
            std::size_t at = 0;
            WriteBmp(wallpaper, [&](std::span<const std::uint8_t> piece) {
                std::copy(piece.begin(), piece.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
                at += piece.size();
            });
        });
    }
}

// The whole cycle, with the located strip URL changed before every run: the page names the same
// strip once as an absolute URL and once relative to the page. Once with its lines shown in the box
// as they come ("cycle"), once as the program's worker runs it ("worker_cycle"): its lines relayed
// to the window, which shows them afterwards (here, once the timing is done).
void TimeCycle(UpdateCycle& cycle, UpdateCycle& worker, LogRelay& relay, ActivityLog& log, const ShownLog& shown,
               int port, int run, Timings& timings) {
    SiteControl(port, run % 2 ? "fault?page=relative-url" : "fault?page=ok");
    Timed(timings, "cycle", [&] { cycle.GetUpdate(); });
    Timed(timings, "worker_cycle", [&] { worker.GetUpdate(); });
    relay.DeliverTo(log);
    const std::string last = LastLine(shown.Text());
    if (last.size() < 5 || last.compare(last.size() - 5, 5, "Done!") != 0) {
        throw std::runtime_error("The cycle did not end with Done!: " + last);
    }
}

// One log line on a full log, shown in the box: the cycle writes seven of them.
void TimeLogLine(ActivityLog& log, const ShownLog& shown, Timings& timings) {
    while (std::count(shown.Text().begin(), shown.Text().end(), '\n') < kLogLineLimit) log.AddLog("Filling the log");
    Timed(timings, "log_line", [&] { log.AddLog("Setting as wallpaper..."); });
}

void BenchStrip(int port, const std::string& strip, int runs) {
    const std::string pageUrl = "http://127.0.0.1:" + std::to_string(port) + "/";
    SiteControl(port, "reset");
    SiteControl(port, "strip?name=" + strip);

    Win32SystemOperations system({});
    ActivityLog log(&SystemLocalTime);
    const ShownLog shown(log);
    UpdateCycle cycle(system, log, pageUrl, kBitmapPath);
    LogRelay relay(&SystemLocalTime);
    UpdateCycle worker(system, relay, pageUrl, kBitmapPath);
    const std::string temporary = cycle.GetPath() + std::string(kTempFileName);

    std::vector<std::uint8_t> file(kBmpHeaderSize + std::size_t{BmpRowSize(3840)} * 2160);
    // One warm-up round, not counted: the first use loads WinINet, WIC and their DLLs.
    Timings warmUp;
    TimeComposition(TimePhases(system, port, pageUrl, temporary, warmUp), file, warmUp);
    TimeCycle(cycle, worker, relay, log, shown, port, 0, warmUp);

    Timings timings;
    for (int run = 1; run <= runs; ++run) {
        TimeComposition(TimePhases(system, port, pageUrl, temporary, timings), file, timings);
        TimeCycle(cycle, worker, relay, log, shown, port, run, timings);
        TimeLogLine(log, shown, timings);
    }
    SiteControl(port, "reset");
    timings.ReportAll(strip);
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream stream(list);
    for (std::string item; std::getline(stream, item, ',');) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

}  // namespace
}  // namespace dromix::bench

int main(int argc, char** argv) {
    using namespace dromix::bench;
    try {
        const int port = std::stoi(Argument(argc, argv, "--port", "0"));
        const int runs = std::stoi(Argument(argc, argv, "--runs", "21"));
        if (port <= 0 || runs <= 0) {
            std::fprintf(stderr, "usage: dromix_cycle_bench --port PORT [--runs N] [--strips a.gif,b.jpg]\n");
            return 2;
        }
        for (const std::string& strip : SplitList(Argument(argc, argv, "--strips", "strip-1.gif,strip-4.jpg"))) {
            BenchStrip(port, strip, runs);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dromix_cycle_bench: %s\n", e.what());
        return 1;
    }
}
