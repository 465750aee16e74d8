#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "activity_log.h"
#include "bmp_writer.h"
#include "strip_locator.h"
#include "wallpaper_picture.h"

namespace {

// AddLog on a log already at its limit, so every call trims.
void BM_AddLogOnFullLog(benchmark::State& state) {
    dromix::ActivityLog log([] { return dromix::LocalTime{2003, 3, 16, 20, 22, 29}; });
    std::size_t bytes = 0;  // the log's size, as a window keeping its copy would know it
    log.OnChange([&bytes](const dromix::LogChange& change) {
        bytes += change.appended.size() - change.removed.size();
        benchmark::DoNotOptimize(change.appended.data());
    });
    for (int i = 0; i < 200; ++i) log.AddLog("Downloading < http://comic.example/strips/2003-03-16.gif >");
    const std::string message = "Setting as wallpaper...";
    for (auto _ : state) log.AddLog(message);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AddLogOnFullLog);

// A 200 KB page with the strip tag near its end.
void BM_LocateStripIn200KbPage(benchmark::State& state) {
    std::string page = "<html><head><title>Comic</title></head><body>\n";
    while (page.size() < 200 * 1024 - 512) {
        page += "<p class=\"news\">Some news ~ with <a href=\"/archive/x.html\">links</a> and SRC=\"n\" text.</p>\n";
    }
    page += "<img alt=\"Latest Strip\" width=\"600\" height=\"200\" SRC=\"/strips/2003-03-16.gif\"></body></html>";
    for (auto _ : state) {
        std::string text = page;
        dromix::LocateStrip(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_LocateStripIn200KbPage);

void Fill(dromix::Picture& picture) {
    picture.Allocate();
    std::uint8_t value = 0;
    for (auto& band : picture.bands) {
        for (auto& byte : band) byte = value += 31;
    }
}

// The 1200 x 400 strip composed for a screen (width, height, DPI) and streamed through the BMP
// writer into a buffer reused across iterations: the composition's and the encoder's own cost,
// without the fresh-memory page faults a new screen-sized vector costs every time.
void BM_ComposeWallpaper(benchmark::State& state) {
    dromix::Picture strip{1200, 400, {}};
    Fill(strip);
    const auto width = static_cast<std::uint32_t>(state.range(0));
    const auto height = static_cast<std::uint32_t>(state.range(1));
    const auto right = static_cast<std::int32_t>(width), bottom = static_cast<std::int32_t>(height) - 48;
    const dromix::Desktop desktop{width, height, {0, 0, right, bottom}, static_cast<std::uint32_t>(state.range(2)), 58, 110, 165};
    std::vector<std::uint8_t> file(dromix::kBmpHeaderSize + std::size_t{dromix::BmpRowSize(width)} * height);
    for (auto _ : state) {
        dromix::ComposedWallpaper wallpaper(strip, desktop);
        std::size_t at = 0;
        dromix::WriteBmp(wallpaper, [&](std::span<const std::uint8_t> piece) {
            std::copy(piece.begin(), piece.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
            at += piece.size();
        });
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_ComposeWallpaper)
    ->Args({1920, 1080, 96})
    ->Args({1920, 1080, 144})
    ->Args({3840, 2160, 192})
    ->Unit(benchmark::kMillisecond);

}  // namespace
