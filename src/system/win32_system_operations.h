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
inline constexpr std::size_t kPageLimit = 8u * 1024 * 1024;
inline constexpr std::size_t kImageLimit = 64u * 1024 * 1024;

// What a cycle ended part-way (by the end of the program) can leave behind: the bitmap's temporary
// ".new" beside each place the bitmap at `bitmapPath` can have, and the downloaded picture in each
// place it can be written. Only files of exactly those names are removed; nothing that fails to go
// is reported.
void RemoveCycleLeftovers(const std::string& bitmapPath) noexcept;

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
    std::string SaveBitmap(const Picture& picture, const std::string& path) override;
    void SetWallpaper(const std::string& path) override;
    std::string ApplicationPath() override;

private:
    HttpClient http_;
    FileAccess files_;
};

}  // namespace dromix
