#include "main_window.h"

#include <stdexcept>
#include <string>

#include "about_window.h"
#include "fatal_error.h"
#include "log_box.h"
#include "resource.h"
#include "wide_text.h"

namespace dromix {
namespace {

constexpr UINT_PTR kUpdateTimerId = 1;
// Posted by the log relay when the cycle has written lines.
constexpr UINT kLogLinesWaiting = WM_APP + 1;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kLogTextColour = RGB(0, 255, 0);
constexpr COLORREF kLogBackColour = RGB(0, 0, 0);
constexpr int kLogFontTenthsOfPoint = 60;

// The tray icon's mouse messages of interest.
constexpr UINT kTrayDoubleClick = WM_LBUTTONDBLCLK;  // 515
constexpr UINT kTrayRightDown = WM_RBUTTONDOWN;      // 516

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

MainWindow::MainWindow(HINSTANCE instance, ActivityLog& log, LogRelay& relay, CycleWorker& cycles)
    : instance_(instance), log_(log), relay_(relay), cycles_(cycles) {
    RegisterMainClass(instance, &MainWindow::WindowProc);
    popup_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_POPUP_MENU)));
    UniqueMenu menuBar(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAIN_MENU)));
    if (!popup_ || !menuBar) throw std::runtime_error("The menus cannot be loaded");
    window_ = CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, kMainStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menuBar.get(), instance,
                              this);
    if (!window_) throw std::runtime_error("The main window cannot be created");
    // The window owns its menu bar from here on and destroys it with itself.
    menuBar.release();
}

MainWindow::~MainWindow() {
    tray_.reset();
    relay_.Target(nullptr, 0);
    log_.OnChange(nullptr);
    if (window_) DestroyWindow(window_);
}

void MainWindow::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportCurrentException();
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
    case WM_MOUSEMOVE:
        // The tray icon's messages arrive here too. The icon exists only while the window is
        // minimised or hidden, when the pointer cannot be over the client area; so real pointer
        // movement, whose X can pass 515 on a high-DPI screen, never counts as a click on the icon.
        if (IsIconic(window_) || !IsWindowVisible(window_)) OnTrayMessage(LOWORD(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kUpdateTimerId) {
            OnTimer();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:  // a read-only edit box asks with this one
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == logBox_) return LogBoxColours(reinterpret_cast<HDC>(wParam));
        break;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case kLogLinesWaiting:
        relay_.DeliverTo(log_);
        return 0;
    case WM_CLOSE:
        Unload();
    default:
        if (tray_ && message == tray_->TaskbarCreatedMessage()) {
            // A restarted shell has lost the icon. If it refuses the icon now, the window stays
            // reachable, minimised on the taskbar.
            if (!tray_->OnTaskbarCreated()) ShowWindow(window_, SW_SHOWMINNOACTIVE);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// When the window is created: the schedule's first countdown, the tray icon's record, the log box and
// the timer.
void MainWindow::Load() {
    schedule_.Load();
    SendMessageW(window_, WM_SETICON, ICON_BIG, static_cast<LPARAM>(GetClassLongPtrW(window_, GCLP_HICON)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(GetClassLongPtrW(window_, GCLP_HICONSM)));
    tray_.emplace(window_, instance_, IDI_APP, "Dromix");

    constexpr DWORD logStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    logBox_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", logStyle, 0, 0, 0, 0, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG)), instance_, nullptr);
    if (!logBox_) throw std::runtime_error("The log box cannot be created");
    // The trimmed log can still outgrow the box's default 32 K characters when its lines are long.
    SendMessageW(logBox_, EM_SETLIMITTEXT, 0, 0);
    ApplyDpi(WindowDpi(window_));
    log_.OnChange([this](const LogChange& change) { ShowLogChange(logBox_, change); });
    relay_.Target(window_, kLogLinesWaiting);

    if (!SetTimer(window_, kUpdateTimerId, kTickMilliseconds, nullptr)) {
        throw std::runtime_error("The update timer cannot be started");
    }
}

void MainWindow::ApplyDpi(unsigned dpi) {
    SetClientSize(window_, TwipsToPixels(kMainClientWidthTwips, dpi),
                  TwipsToPixels(kMainClientHeightTwips, dpi), dpi);
    const RECT box = BoxToPixels(kLogBoxTwips, dpi);
    MoveWindow(logBox_, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
    UniqueFont font(CreateFontW(FontHeight(kLogFontTenthsOfPoint, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                                FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Terminal"));
    if (font) {
        SendMessageW(logBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        logFont_ = std::move(font);  // the old font is released only once the box no longer uses it
    }
}

void MainWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi(dpi);
    tray_->OnDpiChanged(dpi);
}

LRESULT MainWindow::LogBoxColours(HDC dc) {
    SetTextColor(dc, kLogTextColour);
    SetBkColor(dc, kLogBackColour);
    return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case IDM_MENU_UPDATE:
    case IDM_UPDATE:
        cycles_.Start();
        break;
    case IDM_MENU_HIDE:
        ShowWindow(window_, SW_MINIMIZE);  // WM_SIZE does the rest
        break;
    case IDM_SHOW:
        ShowFromTray();
        break;
    case IDM_MENU_EXIT:
    case IDM_EXIT:
        Unload();
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
        MoveCaretToEnd(logBox_);
    }
}

void MainWindow::OnTrayMessage(UINT mouseMessage) {
    if (mouseMessage == kTrayDoubleClick) {
        ShowFromTray();
    } else if (mouseMessage == kTrayRightDown) {
        OpenPopup();
    }
}

void MainWindow::OnTimer() {
    if (schedule_.Tick()) cycles_.Start();
}

// Minimised: the icon goes to the tray and the window off the screen. If the shell refuses the icon
// the window stays minimised on the taskbar, so the user can still reach it.
void MainWindow::IntoTray() {
    if (tray_->Add()) ShowWindow(window_, SW_HIDE);
}

void MainWindow::ShowFromTray() {
    MoveCaretToEnd(logBox_);
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
    ShowAboutWindow(instance_, window_);
}

// Closing the main window: the tray icon goes and the process ends at once; nothing is saved.
void MainWindow::Unload() {
    tray_.reset();
    // A running cycle may be anywhere, inside the system's own locks too; ending the process without
    // the orderly DLL shutdown means nothing can wait on it. The bitmap is replaced in one step, so it
    // is never left half-written.
    if (cycles_.Running()) TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

}  // namespace dromix
