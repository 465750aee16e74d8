#include "main_window.h"

#include <stdexcept>
#include <utility>

#include "fatal_error.h"
#include "resource.h"

namespace dromix {
namespace {

constexpr UINT_PTR kUpdateTimerId = 1;
// A change of the screen comes as a burst of messages (a new resolution brings a new work area too):
// the wallpaper is composed again once they have been quiet this long.
constexpr UINT_PTR kDesktopSettleTimerId = 2;
constexpr UINT kDesktopSettleMs = 1000;
// Posted by the log relay when the cycle has written lines.
constexpr UINT kLogLinesWaiting = WM_APP + 1;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

ATOM RegisterMainClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kMainWindowClass;
    cls.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                              LR_SHARED));
    cls.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    const ATOM atom = RegisterClassExW(&cls);
    if (!atom && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("The main window class cannot be registered");
    }
    return atom;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, ActivityLog& log, LogRelay& relay, CycleWorker& cycles,
                       AboutOpener openAbout, UpdateSchedule schedule)
    : instance_(instance),
      log_(log),
      relay_(relay),
      cycles_(cycles),
      openAbout_(std::move(openAbout)),
      schedule_(schedule) {
    RegisterMainClass(instance, &MainWindow::WindowProc);
    popup_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_POPUP_MENU)));
    UniqueMenu menuBar(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU)));
    if (!popup_ || !menuBar) throw std::runtime_error("The menus cannot be loaded");
    const HWND window = CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, kMainStyle, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menuBar.get(),
                                        instance, this);
    if (!window) throw std::runtime_error("The main window cannot be created");
    // The window owns its menu bar from here on and destroys it with itself.
    menuBar.release();
}

// Only when the window was not closed, as when start-up failed after creating it.
MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

void MainWindow::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ending_) return DefWindowProcW(window_, message, wParam, lParam);
    if (tray_ && OnTrayEvent(tray_->OnMessage(message, lParam))) return 0;
    switch (message) {
    case WM_CREATE:
        Load();
        return 0;
    case WM_COMMAND:
        if (lParam == 0) {  // menus; the log box's own notifications need nothing
            OnCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_SIZE:
        OnSize(wParam);
        return 0;
    case WM_TIMER:
        if (wParam == kUpdateTimerId) {
            OnTimer();
            return 0;
        }
        if (wParam == kDesktopSettleTimerId) {
            KillTimer(window_, kDesktopSettleTimerId);
            cycles_.Recompose();
            return 0;
        }
        break;
    // The primary monitor's resolution or DPI, its work area, or the desktop colour changed (the
    // window's own monitor's DPI too, below: that is the primary monitor's when the window is on it).
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) OnDesktopChange();
        break;
    case WM_DISPLAYCHANGE:
    case WM_SYSCOLORCHANGE:
        OnDesktopChange();
        break;
    case WM_POWERBROADCAST:
        // Every resume from sleep or hibernation sends this one (a user's input sends
        // PBT_APMRESUMESUSPEND as well, maybe much later): one resume, one cycle.
        if (wParam == PBT_APMRESUMEAUTOMATIC) schedule_.Resume();
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (logBox_) {
            if (const HBRUSH brush = logBox_->Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
        }
        break;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        if (MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST) ==
            MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)) {
            OnDesktopChange();
        }
        return 0;
    case kLogLinesWaiting:
        DeliverLines();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The session ends, or an installer's restart manager asks (ENDSESSION_CLOSEAPP): a close.
        if (wParam) Close();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// True when the message was the tray icon's.
bool MainWindow::OnTrayEvent(TrayEvent event) {
    if (event == TrayEvent::Restore) ShowFromTray();
    if (event == TrayEvent::OpenPopup) OpenPopup();
    // Without its icon the window stays reachable, minimised on the taskbar.
    if (event == TrayEvent::Lost) ShowWindow(window_, SW_SHOWMINNOACTIVE);
    return event != TrayEvent::NotForTheIcon;
}

// When the window is created: the schedule's first countdown, the tray icon's record, the log box and
// the timer.
void MainWindow::Load() {
    schedule_.Load();
    SendMessageW(window_, WM_SETICON, ICON_BIG, static_cast<LPARAM>(GetClassLongPtrW(window_, GCLP_HICON)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(GetClassLongPtrW(window_, GCLP_HICONSM)));
    tray_.emplace(window_, instance_, IDI_APP, "Dromix");
    logBox_.emplace(window_, instance_, IDC_LOG);
    ApplyDpi(WindowDpi(window_));
    log_.OnChange([this](const LogChange& change) { logBox_->Show(change); });
    relay_.Target(window_, kLogLinesWaiting);
    OnFatalError([this] { EndForFatalError(); });

    if (!SetTimer(window_, kUpdateTimerId, kTickMilliseconds, nullptr)) {
        throw std::runtime_error("The update timer cannot be started");
    }
}

void MainWindow::ApplyDpi(unsigned dpi) {
    SetClientSize(window_, TwipsToPixels(kMainClientWidthTwips, dpi), TwipsToPixels(kMainClientHeightTwips, dpi),
                  dpi);
    logBox_->Layout(kLogBoxTwips, dpi);
}

void MainWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi(dpi);
    tray_->OnDpiChanged(dpi);
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case IDM_UPDATE:
        cycles_.Start();
        break;
    case IDM_HIDE:
        ShowWindow(window_, SW_MINIMIZE);  // WM_SIZE does the rest
        break;
    case IDM_SHOW:
        ShowFromTray();
        break;
    case IDM_EXIT:
        Close();
        break;
    case IDM_ABOUT:
        OpenAbout();
        break;
    case IDM_CANCEL:  // choosing it only closes the popup
    default:
        break;
    }
}

void MainWindow::OnSize(WPARAM state) {
    if (state == SIZE_MINIMIZED) {
        IntoTray();
    } else {
        logBox_->MoveCaretToEnd();
    }
}

// All the lines waiting, drawn once.
void MainWindow::DeliverLines() {
    const LogBox::Batch batch(*logBox_);
    relay_.DeliverTo(log_);
}

void MainWindow::OnTimer() {
    // Lines whose message was lost (a full queue refuses it) are shown a tick later at the latest.
    DeliverLines();
    if (schedule_.Tick()) cycles_.Start();
}

// Each message of a burst starts the settling time again. Without a timer the request goes at once.
void MainWindow::OnDesktopChange() {
    if (!SetTimer(window_, kDesktopSettleTimerId, kDesktopSettleMs, nullptr)) cycles_.Recompose();
}

// Minimised: the icon goes to the tray and the window off the screen. If the shell refuses the icon
// the window stays minimised on the taskbar, so the user can still reach it.
void MainWindow::IntoTray() {
    if (tray_->Add()) ShowWindow(window_, SW_HIDE);
}

void MainWindow::ShowFromTray() {
    logBox_->MoveCaretToEnd();
    ShowWindow(window_, SW_RESTORE);  // its WM_SIZE puts the caret at the end as well
    tray_->Delete();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void MainWindow::OpenPopup() {
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the popup would stay open after a click elsewhere.
    SetForegroundWindow(window_);
    TrackPopupMenu(GetSubMenu(popup_.get(), 0), 0, at.x, at.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
}

void MainWindow::OpenAbout() {
    if (aboutOpen_) return;
    aboutOpen_ = true;
    const ScopeExit closed([this] { aboutOpen_ = false; });
    openAbout_(window_);
}

// Every end of the program; nothing is saved. A running cycle may be anywhere, inside the system's own
// locks too, so it is not waited for: the tray icon goes and the process ends where it stands (the
// bitmap is replaced in one step, so it is never left half-written). Otherwise the window goes (with
// it the icon and the timer), the message loop ends and everything is released in order.
void MainWindow::Close() {
    if (cycles_.Running()) {
        tray_.reset();
        TerminateProcess(GetCurrentProcess(), 0);
    }
    DestroyWindow(window_);
}

// Before the fatal-error box opens: the icon goes and the timer stops, and nothing the window is asked
// starts a cycle or another box while it is up.
void MainWindow::EndForFatalError() {
    ending_ = true;
    KillTimer(window_, kUpdateTimerId);
    KillTimer(window_, kDesktopSettleTimerId);
    tray_.reset();
}

void MainWindow::OnDestroy() {
    OnFatalError(nullptr);
    KillTimer(window_, kUpdateTimerId);
    KillTimer(window_, kDesktopSettleTimerId);
    tray_.reset();
    relay_.Target(nullptr, 0);
    log_.OnChange(nullptr);
    logBox_.reset();
    PostQuitMessage(0);
}

}  // namespace dromix
