#pragma once
// What every test under Wine shares: the paths it gets from its environment, as Wine sees them through
// its drive Z:, and a wait for something another process does.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace dromix::testing {

// /a/b → Z:\a\b.
inline std::string WinePath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
}

// A file of the source tree.
inline std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("DROMIX_SOURCE_DIR");
    if (!root) throw std::runtime_error("DROMIX_SOURCE_DIR is not set");
    return WinePath(std::string(root) + "/" + relative);
}

// A file of the build tree (the build tree's paths are ASCII).
inline std::wstring BuildTreePath(const std::wstring& relative) {
    const char* build = std::getenv("DROMIX_BUILD_DIR");
    if (!build) throw std::runtime_error("DROMIX_BUILD_DIR is not set");
    const std::string tree = WinePath(build);
    return std::wstring(tree.begin(), tree.end()) + L"\\" + relative;
}

// Polls `done` every 20 ms until it holds or `timeout` passes.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace dromix::testing
