// The footprint yardstick: a bare Win32 window holding one multi-line edit box, built with the same
// toolchain and options as Dromix.exe. It ends when closed, or by itself after ten minutes at most.
// With "--timer" it also runs a 1000 ms timer that does nothing: the idle yardstick, since Dromix's
// schedule needs a tick a second.
#include <windows.h>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 10 * 60 * 1000;
constexpr UINT_PTR kTickTimer = 2;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 8, 0,
                        465, 185, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam == kLifetimeTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
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
    ShowWindow(window, show);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
