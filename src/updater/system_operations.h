#pragma once
// The narrow set of system operations the update cycle needs. The Windows implementation lives in
// src/system; tests substitute a fake. Every failure is an exception (UpdateError or a subclass) whose
// what() is a clear description for the log. Text is UTF-8.
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"
#include "row_source.h"
#include "wallpaper_layout.h"

namespace dromix {

using Bytes = std::vector<std::uint8_t>;

// The most a fetch reads: a page's text, and a strip's picture (and so the file it is written to).
inline constexpr std::size_t kPageLimit = 8u * 1024 * 1024;
inline constexpr std::size_t kImageLimit = 64u * 1024 * 1024;

// A fetched page: its text (the body's bytes unchanged) and the URL its redirects ended at, which the
// page's relative links are relative to, as in a browser.
struct Page {
    std::string text;
    std::string url;
};

class SystemOperations {
public:
    virtual ~SystemOperations() = default;

    // The whole body of an http(s) GET, returned only once the transfer is complete.
    virtual Page FetchPage(const std::string& url) = 0;
    virtual Bytes FetchBytes(const std::string& url) = 0;

    // `relative` resolved against `base` by the system's URL combiner.
    virtual std::string ResolveUrl(const std::string& base, const std::string& relative) = 0;

    // Writes `bytes` as the whole content of the file at `path` (created or truncated). Returns the
    // path actually written: a per-user equivalent when `path` itself is refused.
    virtual std::string WriteFile(const std::string& path, const Bytes& bytes) = 0;
    virtual void RemoveFile(const std::string& path) = 0;

    // Decodes the picture file at `path`; raises on anything it cannot decode.
    virtual Picture LoadPicture(const std::string& path) = 0;

    // The primary monitor (its size and work area in physical pixels, its DPI) and the desktop colour.
    virtual Desktop ReadDesktop() = 0;

    // Saves the picture `rows` make as a bitmap file replacing `path` atomically: the file at `path`
    // is either untouched or holds the complete new bitmap. Returns the path actually written (a
    // per-user equivalent when `path` itself is refused).
    virtual std::string SaveBitmap(RowSource& rows, const std::string& path) = 0;

    // Makes the bitmap at `path` the desktop wallpaper and stores the setting; raises on failure.
    virtual void SetWallpaper(const std::string& path) = 0;
    // The file the stored wallpaper setting names; empty for none, or when it cannot be read.
    virtual std::string WallpaperSetting() = 0;

    // The program's own directory as the system reports it (with or without a trailing backslash).
    virtual std::string ApplicationPath() = 0;
};

}  // namespace dromix
