#pragma once
// The update cycle's system operations on Windows: WinINet, WIC, files and the wallpaper.
#include <windows.h>

#include "system_operations.h"

namespace dromix {

class Win32SystemOperations final : public SystemOperations {
public:
    Win32SystemOperations();
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
};

}  // namespace dromix
