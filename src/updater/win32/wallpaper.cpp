#include "wallpaper.h"

#include <windows.h>

#include "system_error.h"
#include "wide_text.h"

namespace dromix {

void SetDesktopWallpaper(const std::wstring& path) {
    constexpr UINT kSetDeskWallpaper = 20;  // SPI_SETDESKWALLPAPER
    constexpr UINT kUpdateIniFile = 1;      // SPIF_UPDATEINIFILE: stored, no change broadcast
    std::string ansi;
    BOOL done = FALSE;
    if (WideToAnsi(path, ansi)) {
        done = SystemParametersInfoA(kSetDeskWallpaper, 0, ansi.data(), kUpdateIniFile);
    } else {
        // A per-user folder whose name has no ANSI form can only be named through the wide call.
        std::wstring wide = path;
        done = SystemParametersInfoW(kSetDeskWallpaper, 0, wide.data(), kUpdateIniFile);
    }
    if (!done) ThrowLastError("Cannot set the wallpaper");
}

}  // namespace dromix
