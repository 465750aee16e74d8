// The floor under Dromix's own work in a changing cycle: the same system calls the cycle makes once
// the strip is downloaded (the temporary file written, the strip decoded, the desktop read, the
// wallpaper composed and written, the temporary file removed, the wallpaper set), one after the other
// in a bare program: no window, no log, no worker thread. Prints "RESULT <strip>.floor <median ms>"
// for scripts/bench.
//
//   dromix_bare_cycle [--runs N] STRIP_FILE...
#include <windows.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"
#include "path_join.h"
#include "update_cycle.h"
#include "wallpaper_picture.h"
#include "win32_system_operations.h"

namespace dromix::bench {
namespace {

double OneRun(Win32SystemOperations& system, const Bytes& strip, const std::string& temporary) {
    const double start = NowMs();
    const std::string written = system.WriteFile(temporary, strip);
    std::string bitmap;
    {
        const Picture picture = system.LoadPicture(written);
        ComposedWallpaper wallpaper(picture, system.ReadDesktop());
        bitmap = system.SaveBitmap(wallpaper, kBitmapPath);
    }
    system.RemoveFile(written);
    system.SetWallpaper(bitmap);
    return NowMs() - start;
}

}  // namespace
}  // namespace dromix::bench

int main(int argc, char** argv) {
    using namespace dromix;
    using namespace dromix::bench;
    try {
        const int runs = std::stoi(Argument(argc, argv, "--runs", "21"));
        Win32SystemOperations system({});
        const std::string temporary = JoinPath(system.ApplicationPath(), kTempFileName);
        for (int i = 1; i < argc; ++i) {
            const std::string path = argv[i];
            if (path == "--runs") {
                ++i;
                continue;
            }
            std::ifstream in(path, std::ios::binary);
            const Bytes strip{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (strip.empty()) throw std::runtime_error("Cannot read " + path);
            OneRun(system, strip, temporary);  // warm-up: the first use loads WIC and its DLLs
            std::vector<double> times;
            for (int run = 0; run < runs; ++run) times.push_back(OneRun(system, strip, temporary));
            const std::string name = path.substr(path.find_last_of("\\/") + 1);
            Report(name + ".floor", Median(times));
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dromix_bare_cycle: %s\n", e.what());
        return 1;
    }
}
