#pragma once
// The program's only main window. It carries the menu bar and the tray popup and carries out their
// commands, drives the hourly schedule from its timer, starts the update cycles on their worker
// thread, and holds the log box and the tray icon. Closing it ends the program.
#include <windows.h>

#include <functional>
#include <optional>

#include "activity_log.h"
#include "cycle_worker.h"
#include "handles.h"
#include "log_box.h"
#include "log_relay.h"
#include "tray_icon.h"
#include "update_schedule.h"
#include "window_binding.h"

namespace dromix {

inline constexpr wchar_t kMainWindowClass[] = L"Dromix.MainWindow";
inline constexpr wchar_t kMainWindowCaption[] = L"Dromix";

// The layout in twips: the client area and the log box in it.
inline constexpr int kMainClientWidthTwips = 7200;
inline constexpr int kMainClientHeightTwips = 2925;
inline constexpr TwipsBox kLogBoxTwips{120, 0, 6975, 2775};

class MainWindow : WindowBinding<MainWindow> {
public:
    // Opens the About window over `owner` and returns once it is closed.
    using AboutOpener = std::function<void(HWND owner)>;

    // Creates the window (and with it the countdown, the tray icon's record, the log box and the
    // timer) without showing it. The cycle's lines arrive through `relay` and are shown from `log`. The
    // timer drives `schedule`.
    MainWindow(HINSTANCE instance, ActivityLog& log, LogRelay& relay, CycleWorker& cycles, AboutOpener openAbout,
               UpdateSchedule schedule);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window modeless, in its normal state.
    void Show();

private:
    friend class WindowBinding<MainWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnTrayEvent(TrayEvent event);

    void Load();
    void OnCommand(int id);
    void OnSize(WPARAM state);
    void OnDpiChanged(unsigned dpi, const RECT& suggested);
    void DeliverLines();
    void OnTimer();
    void OnDesktopChange();
    void OnDestroy();
    void EndForFatalError();

    void ApplyDpi(unsigned dpi);
    void IntoTray();
    void ShowFromTray();
    void OpenPopup();
    void OpenAbout();
    void Close();

    HINSTANCE instance_;
    ActivityLog& log_;
    LogRelay& relay_;
    CycleWorker& cycles_;
    AboutOpener openAbout_;
    UpdateSchedule schedule_;
    // Made when the window is created, gone when it is destroyed.
    std::optional<TrayIcon> tray_;
    std::optional<LogBox> logBox_;
    UniqueMenu popup_;
    bool aboutOpen_ = false;
    bool ending_ = false;  // after a fatal error: the window does nothing more
};

}  // namespace dromix
