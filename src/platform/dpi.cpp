#include "dpi.h"

#include "handles.h"

namespace dromix {
namespace {

// Windows 10's per-monitor calls, looked up at run time: the program also runs where they are absent.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
// Windows 8.1's, in shcore.dll; 0 is MDT_EFFECTIVE_DPI.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Fn>
Fn FunctionOf(HMODULE module, const char* name) {
    const FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    // Through void(*)() so that the compilers accept the cast between function pointer types.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

template <typename Fn>
Fn User32Function(const char* name) {
    return FunctionOf<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

unsigned SystemDpi() {
    const WindowDc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

}  // namespace

RECT BoxToPixels(const TwipsBox& box, unsigned dpi) {
    const int left = TwipsToPixels(box.left, dpi);
    const int top = TwipsToPixels(box.top, dpi);
    return {left, top, left + TwipsToPixels(box.width, dpi), top + TwipsToPixels(box.height, dpi)};
}

int FontHeight(int tenthsOfPoint, unsigned dpi) {
    // 720 tenths of a point to the inch.
    return -MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720);
}

unsigned WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return dpi;
    }
    return SystemDpi();
}

unsigned MonitorDpi(HMONITOR monitor) {
    // Loaded from the system's folder once, for the program's life.
    static const UniqueModule shcore(LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static const auto getDpiForMonitor = FunctionOf<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &x, &y)) && y > 0) return y;
    return SystemDpi();
}

void SetClientSize(HWND window, int width, int height, unsigned dpi) {
    static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const BOOL hasMenu = GetMenu(window) != nullptr;
    RECT outer{0, 0, width, height};
    if (adjustForDpi) {
        adjustForDpi(&outer, style, hasMenu, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&outer, style, hasMenu, exStyle);
    }
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, flags);
    // A menu bar that wraps, or a frame the estimate got wrong: correct by what the window reports.
    RECT client{};
    if (GetClientRect(window, &client) && (client.right != width || client.bottom != height)) {
        RECT now{};
        GetWindowRect(window, &now);
        SetWindowPos(window, nullptr, 0, 0, now.right - now.left + width - client.right,
                     now.bottom - now.top + height - client.bottom, flags);
    }
}

}  // namespace dromix
