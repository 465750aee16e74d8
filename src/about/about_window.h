#pragma once
// The modal About window with the product name, version, credit and the author's link.
#include <windows.h>

#include <string>

namespace dromix {

// The credit line and the author's web site the window shows; the URL is also what the link opens.
struct AboutTexts {
    std::wstring credit;
    std::string url;
};

// Opens the window centred over `owner` with `texts`, and returns once it is closed. The owner takes
// no input meanwhile; its timer keeps running.
void ShowAboutWindow(HINSTANCE instance, HWND owner, const AboutTexts& texts);

// Where a window of `size` goes to be centred over `owner` (outer rectangles; no clamping to the
// screen, so it may lie partly off it).
POINT CentreOver(const RECT& owner, SIZE size);

}  // namespace dromix
