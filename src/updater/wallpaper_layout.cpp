#include "wallpaper_layout.h"

#include <algorithm>

#include "errors.h"

namespace dromix {
namespace {

// The strip keeps a twentieth (5 %) of the work area's width free at its left and at its right, and
// of its height above and below it: it stays clear of the taskbar and the screen's edges, and on a
// common screen of the column of desktop icons along the left edge.
constexpr std::int64_t kMarginDivisor = 20;

// A scale factor as an exact fraction, so that a strip limited by the room it has fills it exactly.
struct Ratio {
    std::int64_t num;
    std::int64_t den;
    bool operator<(const Ratio& other) const { return num * other.den < other.num * den; }
    std::int64_t Of(std::int64_t value) const { return (value * num + den / 2) / den; }
};

}  // namespace

WallpaperLayout LayOut(std::uint32_t stripWidth, std::uint32_t stripHeight, const Desktop& desktop) {
    if (desktop.width == 0 || desktop.height == 0) throw UpdateError("The screen's size cannot be read");
    if (stripWidth == 0 || stripHeight == 0) throw UpdateError("The picture is empty");

    // A monitor beyond the largest wallpaper: everything on it scaled down alike.
    Ratio screen{1, 1};
    if (desktop.width > kMaxWallpaperWidth || desktop.height > kMaxWallpaperHeight) {
        screen = std::min(Ratio{kMaxWallpaperWidth, desktop.width}, Ratio{kMaxWallpaperHeight, desktop.height});
    }
    WallpaperLayout layout;
    layout.width = static_cast<std::uint32_t>(std::max<std::int64_t>(1, screen.Of(desktop.width)));
    layout.height = static_cast<std::uint32_t>(std::max<std::int64_t>(1, screen.Of(desktop.height)));

    // The work area within the picture; one that lies outside it leaves the whole picture.
    const std::int64_t width = layout.width;
    const std::int64_t height = layout.height;
    const std::int64_t left = std::clamp<std::int64_t>(screen.Of(desktop.workArea.left), 0, width);
    const std::int64_t top = std::clamp<std::int64_t>(screen.Of(desktop.workArea.top), 0, height);
    const std::int64_t right = std::clamp<std::int64_t>(screen.Of(desktop.workArea.right), 0, width);
    const std::int64_t bottom = std::clamp<std::int64_t>(screen.Of(desktop.workArea.bottom), 0, height);
    PixelRect work{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right),
                   static_cast<std::int32_t>(bottom)};
    if (right <= left || bottom <= top) {
        work = {0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    }

    const std::int64_t roomWidth = std::max<std::int64_t>(1, work.Width() - 2 * (work.Width() / kMarginDivisor));
    const std::int64_t roomHeight = std::max<std::int64_t>(1, work.Height() - 2 * (work.Height() / kMarginDivisor));
    const Ratio atDpi{std::int64_t{std::max<std::uint32_t>(desktop.dpi, 1)} * screen.num, kStripDpi * screen.den};
    const Ratio scale = std::min({atDpi, Ratio{roomWidth, stripWidth}, Ratio{roomHeight, stripHeight}});
    const std::int64_t scaledWidth = std::max<std::int64_t>(1, scale.Of(stripWidth));
    const std::int64_t scaledHeight = std::max<std::int64_t>(1, scale.Of(stripHeight));

    layout.strip.left = static_cast<std::int32_t>(work.left + (work.Width() - scaledWidth) / 2);
    layout.strip.top = static_cast<std::int32_t>(work.top + (work.Height() - scaledHeight) / 2);
    layout.strip.right = layout.strip.left + static_cast<std::int32_t>(scaledWidth);
    layout.strip.bottom = layout.strip.top + static_cast<std::int32_t>(scaledHeight);
    return layout;
}

}  // namespace dromix
