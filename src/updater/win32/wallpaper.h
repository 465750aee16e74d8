#pragma once
// The desktop wallpaper setting.
#include <string>

namespace dromix {

// Makes the bitmap at `path` the wallpaper and stores the setting in the user profile
// (SPI_SETDESKWALLPAPER with SPIF_UPDATEINIFILE); raises with the system's message on failure.
void SetDesktopWallpaper(const std::wstring& path);

}  // namespace dromix
