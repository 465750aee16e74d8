#pragma once
// The windows are laid out in twips (1440 to the inch) and converted to pixels at the DPI of the
// monitor a window is on, so that at 96 DPI one pixel is 15 twips.
#include <windows.h>

namespace dromix {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr unsigned kDefaultDpi = 96;

// Rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, unsigned dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / kTwipsPerInch);
}

// A rectangle given in twips as left, top, width, height.
struct TwipsBox {
    int left, top, width, height;
};

// The box in pixels, as left, top, right, bottom.
RECT BoxToPixels(const TwipsBox& box, unsigned dpi);

// A font height for CreateFontW (negative: the character height) of `tenthsOfPoint` / 10 points.
int FontHeight(int tenthsOfPoint, unsigned dpi);

// The DPI of the monitor the window is on (the system DPI where the system cannot say).
unsigned WindowDpi(HWND window);
// The monitor's own DPI, as the program (aware of each monitor's DPI) sees it; the system DPI where
// the system cannot say (before Windows 8.1).
unsigned MonitorDpi(HMONITOR monitor);

// Sizes the window so that its client area is `width` × `height` pixels, keeping its position.
void SetClientSize(HWND window, int width, int height, unsigned dpi);

}  // namespace dromix
