#pragma once
// The update cycle's system operations on Windows: WinINet, WIC, files and the wallpaper.
#include <windows.h>

#include <cstddef>
#include <string>

#include "file_access.h"
#include "http_client.h"
#include "system_operations.h"

namespace dromix {

// The bitmap the wallpaper shows, at the root of drive C: (the per-user place when that is refused).
inline constexpr char kBitmapPath[] = "c:\\dromix.bmp";

// What a cycle ended part-way (by the end of the program) can leave behind: the download at
// `downloadPath` and the bitmap's unfinished ".new" beside `bitmapPath`, each at its place and at the
// place it goes when that one is refused. Only files of exactly those names are removed; nothing that
// fails to go is reported.
void RemoveCycleLeftovers(const std::string& downloadPath, const std::string& bitmapPath) noexcept;

class Win32SystemOperations final : public SystemOperations {
public:
    struct Options {
        HttpTimeouts timeouts;
        // How files are created (tests refuse chosen directories with it).
        CreateFileCall createFile = &::CreateFileW;
    };

    explicit Win32SystemOperations(Options options);
    ~Win32SystemOperations() override;

    Page FetchPage(const std::string& url) override;
    Bytes FetchBytes(const std::string& url) override;
    std::string ResolveUrl(const std::string& base, const std::string& relative) override;
    std::string WriteFile(const std::string& path, const Bytes& bytes) override;
    void RemoveFile(const std::string& path) override;
    Picture LoadPicture(const std::string& path) override;
    Desktop ReadDesktop() override;
    std::string SaveBitmap(RowSource& rows, const std::string& path) override;
    void SetWallpaper(const std::string& path) override;
    std::string WallpaperSetting() override;
    std::string ApplicationPath() override;

private:
    HttpClient http_;
    FileAccess files_;
};

}  // namespace dromix
