#include "wallpaper_layout.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

// Strip size, the desktop (size, work area, DPI), where the strip goes. The room is the work area less
// a twentieth of it on each side: 1728 x 936 of 1920 x 1040.
struct LayoutCase {
    std::uint32_t stripWidth, stripHeight;
    Desktop desktop;
    WallpaperLayout expected;
};
const LayoutCase kLayouts[] = {
    {1200, 400, {1920, 1080, {0, 0, 1920, 1040}, 96}, {1920, 1080, {360, 320, 1560, 720}}},    // fits at its size
    {2000, 650, {1920, 1080, {0, 0, 1920, 1040}, 96}, {1920, 1080, {96, 239, 1824, 801}}},     // too wide
    {400, 1200, {1920, 1080, {0, 0, 1920, 1040}, 96}, {1920, 1080, {804, 52, 1116, 988}}},     // too tall
    {600, 200, {1920, 1080, {0, 0, 1920, 1020}, 144}, {1920, 1080, {510, 360, 1410, 660}}},    // 144 DPI: 1.5 x
    {1200, 400, {1920, 1080, {0, 0, 1920, 1020}, 144}, {1920, 1080, {96, 222, 1824, 798}}},    // 1.44 x: the room
    {1200, 400, {1920, 1080, {62, 0, 1920, 1080}, 96}, {1920, 1080, {391, 340, 1591, 740}}},   // taskbar left
    {1200, 400, {1920, 1080, {0, 48, 1920, 1080}, 96}, {1920, 1080, {360, 364, 1560, 764}}},   // taskbar at the top
    {1200, 400, {7680, 4320, {0, 0, 7680, 4240}, 192}, {7680, 4320, {2640, 1720, 5040, 2520}}},  // 8K, 2 x
    {1200, 400, {15360, 8640, {0, 0, 15360, 8640}, 384}, {7680, 4320, {2640, 1760, 5040, 2560}}},  // beyond 8K: halved
    {1200, 400, {1024, 768, {0, 0, 0, 0}, 96}, {1024, 768, {51, 230, 973, 537}}},  // no work area: the screen
};

TEST(WallpaperLayout, CentresTheWholeStripInTheWorkAreaAtTheMonitorsDpi) {
    for (const LayoutCase& c : kLayouts) {
        EXPECT_EQ(LayOut(c.stripWidth, c.stripHeight, c.desktop), c.expected) << c.desktop.width << " " << c.stripWidth;
    }
}

}  // namespace
}  // namespace dromix
