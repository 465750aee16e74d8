#pragma once
// The update cycle's system operations on Windows: WinINet, WIC, files and the wallpaper.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "file_access.h"
#include "http_client.h"
#include "system_operations.h"

namespace dromix {

inline constexpr std::size_t kPageLimit = 8u * 1024 * 1024;
inline constexpr std::size_t kImageLimit = 64u * 1024 * 1024;

class Win32SystemOperations final : public SystemOperations {
public:
    struct Options {
        HttpTimeouts timeouts;
        // Writes into these directories fail as access denied (for tests of the per-user fallback).
        std::vector<std::wstring> refusedDirectories;
    };

    Win32SystemOperations();
    explicit Win32SystemOperations(Options options);
    ~Win32SystemOperations() override;

    std::string FetchText(const std::string& url) override;
    Bytes FetchBytes(const std::string& url) override;
    std::string ResolveUrl(const std::string& base, const std::string& relative) override;
    std::string WriteFile(const std::string& path, const Bytes& bytes) override;
    void DeleteFile(const std::string& path) override;
    Picture LoadPicture(const std::string& path) override;
    std::string SaveBitmap(const Picture& picture, const std::string& path) override;
    void SetWallpaper(const std::string& path) override;
    std::string ApplicationPath() override;

private:
    HttpClient http_;
    FileAccess files_;
};

}  // namespace dromix
