#pragma once
// Where the strip goes on the wallpaper: a picture of the primary monitor's size in physical pixels,
// the strip centred in the monitor's work area at the monitor's DPI, shrunk to fit, never cropped,
// stretched or enlarged past the DPI's factor. Every wallpaper style (Fill, Fit, Stretch, Center,
// Tile) then shows the whole strip, one to one.
#include <cstdint>

namespace dromix {

// A rectangle in pixels, right and bottom exclusive.
struct PixelRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// The primary monitor as the wallpaper is made for it.
struct Desktop {
    std::uint32_t width = 0;  // in physical pixels
    std::uint32_t height = 0;
    PixelRect workArea;       // the part the taskbar leaves, relative to the monitor's top left corner
    std::uint32_t dpi = 96;
    std::uint8_t red = 0, green = 0, blue = 0;  // the desktop colour, around the strip
};

// A strip's pixels are meant to be seen at 96 DPI: 1.5 times as many at 144 DPI.
inline constexpr std::uint32_t kStripDpi = 96;
// The largest wallpaper made (8K); a larger monitor's desktop is scaled down to fit, in proportion.
inline constexpr std::uint32_t kMaxWallpaperWidth = 7680;
inline constexpr std::uint32_t kMaxWallpaperHeight = 4320;

struct WallpaperLayout {
    std::uint32_t width = 0;  // the picture
    std::uint32_t height = 0;
    PixelRect strip;  // where the strip goes, at the size it is scaled to
    bool operator==(const WallpaperLayout&) const = default;
};

// Raises UpdateError for a desktop of no pixels or a strip of none.
WallpaperLayout LayOut(std::uint32_t stripWidth, std::uint32_t stripHeight, const Desktop& desktop);

}  // namespace dromix
