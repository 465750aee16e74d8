#pragma once
// The program's only main window. It shows the activity log, drives the hourly schedule
// from its timer, starts the update cycles on their worker thread, carries the menu bar and the tray
// popup, and owns the program's lifetime: closing it removes the tray icon and ends the process at
// once.
#include <windows.h>

#include <optional>

#include "activity_log.h"
#include "cycle_worker.h"
#include "dpi.h"
#include "handles.h"
#include "log_relay.h"
#include "tray_icon.h"
#include "update_schedule.h"

namespace dromix {

inline constexpr wchar_t kMainWindowClass[] = L"Dromix.MainWindow";
inline constexpr wchar_t kMainWindowCaption[] = L"Dromix";

// The layout in twips: the client area and the log box in it.
inline constexpr int kMainClientWidthTwips = 7200;
inline constexpr int kMainClientHeightTwips = 2925;
inline constexpr TwipsBox kLogBoxTwips{120, 0, 6975, 2775};

class MainWindow {
public:
    // Creates the window (and with it the countdown, the tray icon and the timer) without showing it. The cycle's
    // lines arrive through `relay` and are shown from `log`.
    MainWindow(HINSTANCE instance, ActivityLog& log, LogRelay& relay, CycleWorker& cycles);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window modeless, in its normal state.
    void Show();
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Load();
    void OnCommand(int id);
    void OnSize(WPARAM state);
    void OnTrayMessage(UINT mouseMessage);
    void OnDpiChanged(unsigned dpi, const RECT& suggested);
    void OnTimer();
    LRESULT LogBoxColours(HDC dc);

    void ApplyDpi(unsigned dpi);
    void IntoTray();
    void ShowFromTray();
    void OpenPopup();
    void OpenAbout();
    [[noreturn]] void Unload();

    HINSTANCE instance_;
    ActivityLog& log_;
    LogRelay& relay_;
    CycleWorker& cycles_;
    UpdateSchedule schedule_;
    std::optional<TrayIcon> tray_;  // made when the window is created
    HWND window_ = nullptr;
    HWND logBox_ = nullptr;
    UniqueFont logFont_;
    UniqueMenu popup_;
    bool aboutOpen_ = false;
};

}  // namespace dromix
