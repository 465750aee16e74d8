#pragma once
// frmMain: the program's only main window. It shows the activity log, drives the hourly schedule
// from its timer, carries the menu bar and the tray popup, and owns the program's lifetime: closing
// it removes the tray icon and ends the process at once.
#include <windows.h>

#include "activity_log.h"
#include "dpi.h"
#include "handles.h"
#include "tray_icon.h"
#include "update_cycle.h"
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
    // Creates the window (its Load: countdown, tray record, timer) without showing it.
    MainWindow(HINSTANCE instance, ActivityLog& log, UpdateCycle& cycle);
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
    void OnTaskbarCreated();
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
    UpdateCycle& cycle_;
    UpdateSchedule schedule_;
    TrayIcon tray_;
    HWND window_ = nullptr;
    HWND logBox_ = nullptr;
    HICON icon_ = nullptr;  // shared with the window class: the system owns it
    UniqueFont logFont_;
    UniqueMenu popup_;
    UINT taskbarCreated_ = 0;
    bool aboutOpen_ = false;
};

}  // namespace dromix
