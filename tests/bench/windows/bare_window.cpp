// The footprint yardstick: a bare Win32 window holding one multi-line edit box, built with the same
// toolchain and options as Dromix.exe. It ends when closed, or by itself after ten minutes at most.
// With "--timer" it also runs a 1000 ms timer that does nothing: the idle yardstick, since Dromix's
// schedule needs a tick a second. With "--repaint" its box looks like Dromix's full log (green bold
// Terminal on black, 100 lines) and is drawn again every 100 ms: the floor of the window answers,
// since a log box whose lines changed must be drawn once.
#include <windows.h>

#include <string>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 10 * 60 * 1000;
constexpr UINT_PTR kTickTimer = 2;
constexpr UINT_PTR kRepaintTimer = 3;

HWND box = nullptr;
HFONT font = nullptr;

void LookLikeTheLog() {
    font = CreateFontW(-8, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Terminal");
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    std::wstring text;
    for (int i = 0; i < 100; ++i) {
        text += L"12-08-2026 06:05:04 | Downloading < http://www.example.com/strips/strip-" + std::to_wstring(i) +
                L".gif >\r\n";
    }
    SetWindowTextW(box, text.c_str());
    SendMessageW(box, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 8, 0,
                        465, 185, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam == kLifetimeTimer) DestroyWindow(window);
        if (wParam == kRepaintTimer) RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        return 0;
    case WM_CTLCOLORSTATIC:
        if (!font) return DefWindowProcW(window, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 255, 0));
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
    case WM_DESTROY:
        if (font) DeleteObject(font);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"DromixBenchBareWindow";
    if (!RegisterClassExW(&cls)) return 1;
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"Bare window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 490, 225, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (commandLine && lstrcmpW(commandLine, L"--timer") == 0) SetTimer(window, kTickTimer, 1000, nullptr);
    if (commandLine && lstrcmpW(commandLine, L"--repaint") == 0) {
        LookLikeTheLog();
        SetTimer(window, kRepaintTimer, 100, nullptr);
    }
    ShowWindow(window, show);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
