#pragma once
// The notification-area icon shown while the main window is minimised. Its record is the ANSI
// NOTIFYICONDATA in its first-version size (88 bytes on 32-bit Windows), filled once and passed to
// every call. The icon's messages come back to the window as WM_MOUSEMOVE with the mouse message in
// the low word of lParam; the icon reads them, and the shell's restart, from the window's messages.
//
// The icon owns its life: it is shown and removed on request, shown again when the shell restarts,
// redrawn at a new DPI, and removed when its owner goes.
#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "handles.h"

namespace dromix {

inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;             // 512
inline constexpr std::size_t kTrayTipSize = 64;

// The record for `window`: the tip is `caption`, a NUL, then spaces to fill the 64-character field.
NOTIFYICONDATAA MakeTrayRecord(HWND window, HICON icon, std::string_view caption);

// What one of the window's messages means for the icon.
enum class TrayEvent {
    NotForTheIcon,
    Handled,    // the icon's, and nothing more to do
    Restore,    // a double click on the icon
    OpenPopup,  // the right button on the icon
    Lost,       // the restarted shell refused the icon: the window must stay reachable without it
};

// The shell's call; tests put a recorder in its place.
using ShellNotify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA record);

class TrayIcon {
public:
    // Fills the record for `window` with the program's icon `iconId` at the small-icon size of the
    // window's DPI; the icon is not shown yet.
    TrayIcon(HWND window, HINSTANCE instance, int iconId, std::string_view caption,
             ShellNotify notify = &Shell_NotifyIconA);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Shows the icon, replacing one this program may still have there. False when the shell refused.
    bool Add();
    // Removes the icon; harmless when it is not there.
    void Delete();

    // Reads a message the window received: the icon's callback, or the restarted shell's
    // "TaskbarCreated" (an icon that was shown is shown again).
    TrayEvent OnMessage(UINT message, LPARAM lParam);
    // The window is now on a monitor of `dpi`: a shown icon is redrawn at that DPI's size.
    void OnDpiChanged(unsigned dpi);

private:
    void LoadIconAt(unsigned dpi);

    HINSTANCE instance_;
    int iconId_;
    ShellNotify notify_;
    UniqueIcon icon_;
    NOTIFYICONDATAA record_{};
    UINT taskbarCreated_ = 0;
    bool added_ = false;
};

}  // namespace dromix
