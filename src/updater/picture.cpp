#include "picture.h"

#include <algorithm>

namespace dromix {

std::uint32_t Picture::BandRows(std::uint32_t width) {
    constexpr std::uint64_t kBandBytes = 1024 * 1024;
    if (width == 0) return 1;
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, kBandBytes / (std::uint64_t{width} * 4)));
}

void Picture::Allocate() {
    const std::uint32_t rows = BandRows(width);
    bands.clear();
    for (std::uint64_t y = 0; y < height; y += rows) {
        bands.emplace_back(std::size_t{width} * 4 * std::min<std::uint64_t>(rows, height - y));
    }
}

const std::uint8_t* Picture::Row(std::uint32_t y) const {
    const std::uint32_t rows = BandRows(width);
    return bands[y / rows].data() + std::size_t{width} * 4 * (y % rows);
}

}  // namespace dromix
