#include "picture.h"

#include <algorithm>

#include "picture_sniffer.h"

namespace dromix {

std::uint32_t Picture::BandRows(std::uint32_t width) {
    constexpr std::uint64_t kBandBytes = 1024 * 1024;
    if (width == 0) return 1;
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, kBandBytes / (std::uint64_t{width} * 4)));
}

std::size_t Picture::BandCount() const {
    const std::uint64_t rows = BandRows(width);
    return static_cast<std::size_t>((height + rows - 1) / rows);
}

std::size_t Picture::BandBytes(std::size_t band) const {
    const std::uint64_t rows = BandRows(width);
    return static_cast<std::size_t>(std::min<std::uint64_t>(rows, height - band * rows) * width * 4);
}

void Picture::Allocate() {
    const std::size_t count = BandCount();
    bands.clear();
    for (std::size_t band = 0; band < count; ++band) bands.emplace_back(BandBytes(band));
}

const std::uint8_t* Picture::Row(std::uint32_t y) const {
    const std::uint32_t rows = BandRows(width);
    return bands[y / rows].data() + std::size_t{width} * 4 * (y % rows);
}

void Picture::Validate() const {
    CheckPictureSize(width, height);
    bool matches = bands.size() == BandCount();
    for (std::size_t band = 0; matches && band < bands.size(); ++band) matches = bands[band].size() == BandBytes(band);
    if (!matches) throw UpdateError("The picture's pixels do not match its size");
}

}  // namespace dromix
