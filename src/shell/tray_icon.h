#pragma once
// The notification-area icon shown while the main window is minimised. Its record is the ANSI
// NOTIFYICONDATA in its first-version size (88 bytes on 32-bit Windows), filled once and passed to
// every call. The icon's messages come back to the window as WM_MOUSEMOVE with the mouse message in
// the low word of lParam.
#include <windows.h>
#include <shellapi.h>

#include <string_view>

namespace dromix {

inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;             // 512
inline constexpr std::size_t kTrayTipSize = 64;

// The record for `window`: the tip is `caption`, a NUL, then spaces to fill the 64-character field.
NOTIFYICONDATAA MakeTrayRecord(HWND window, HICON icon, std::string_view caption);

class TrayIcon {
public:
    // Fills the record; the icon is not shown yet.
    void Fill(HWND window, HICON icon, std::string_view caption);

    // Shows the icon, replacing one this program may still have there. False when the shell refused.
    bool Add();
    // Removes the icon; harmless when it is not there.
    void Delete();
    // Whether the icon was added and not deleted since.
    bool Added() const { return added_; }

private:
    NOTIFYICONDATAA record_{};
    bool added_ = false;
};

}  // namespace dromix
