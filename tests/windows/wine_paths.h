#pragma once
// Paths the tests get from their environment, as Wine sees them through its drive Z:.
#include <cstdlib>
#include <stdexcept>
#include <string>

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

}  // namespace dromix::testing
