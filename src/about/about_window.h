#pragma once
// The modal About window with the product name, version, credit and the author's link.
#include <windows.h>

namespace dromix {

// The layout in twips, as left, top, width, height (the frame's labels relative to the frame).
inline constexpr int kAboutClientWidthTwips = 5190;
inline constexpr int kAboutClientHeightTwips = 3015;

// Opens the window centred over `owner` and returns once it is closed. The owner takes no input
// meanwhile; its timer keeps running.
void ShowAboutWindow(HINSTANCE instance, HWND owner);

// Where a window of `size` goes to be centred over `owner` (outer rectangles; no clamping to the
// screen, so it may lie partly off it).
POINT CentreOver(const RECT& owner, SIZE size);

}  // namespace dromix
