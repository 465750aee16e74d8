#include "wallpaper_picture.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace dromix {
namespace {

constexpr int kWeightBits = 14;
constexpr std::uint32_t kOne = 1u << kWeightBits;  // the weights of one target pixel add up to this

using Taps = ScaledPicture::Taps;

// The taps of each of `to` target pixels along an axis of `from` source pixels.
std::vector<Taps> MakeTaps(std::uint32_t from, std::uint32_t to, std::vector<std::uint16_t>& weights) {
    std::vector<Taps> taps;
    taps.reserve(to);
    const auto add = [&](std::uint32_t first, std::initializer_list<std::uint32_t> each) {
        taps.push_back({first, static_cast<std::uint32_t>(each.size()), static_cast<std::uint32_t>(weights.size())});
        for (std::uint32_t weight : each) weights.push_back(static_cast<std::uint16_t>(weight));
    };
    for (std::uint64_t i = 0; i < to; ++i) {
        if (to < from) {
            // Target pixel i covers [i * from, (i + 1) * from) where a source pixel is `to` long: each
            // source pixel's weight is the length it shares, out of `from` in all. Rounding the running
            // total keeps the sum exact.
            const std::uint64_t begin = i * from;
            const std::uint64_t end = begin + from;
            const auto first = static_cast<std::uint32_t>(begin / to);
            const auto last = static_cast<std::uint32_t>((end - 1) / to);
            taps.push_back({first, last - first + 1, static_cast<std::uint32_t>(weights.size())});
            std::uint64_t covered = 0;
            std::uint32_t given = 0;
            for (std::uint64_t j = first; j <= last; ++j) {
                covered += std::min(end, (j + 1) * to) - std::max(begin, j * to);
                const auto total = static_cast<std::uint32_t>((covered * kOne + from / 2) / from);
                weights.push_back(static_cast<std::uint16_t>(total - given));
                given = total;
            }
        } else {
            // The target pixel's centre in source pixels is ((2i + 1) * from - to) / (2 * to); between
            // the centres of the two source pixels around it the weights go linearly.
            const std::int64_t position = static_cast<std::int64_t>((2 * i + 1) * from) - to;
            const std::uint64_t span = 2 * std::uint64_t{to};
            if (position <= 0) {
                add(0, {kOne});
                continue;
            }
            const auto near = static_cast<std::uint32_t>(static_cast<std::uint64_t>(position) / span);
            const auto far = static_cast<std::uint32_t>(
                (static_cast<std::uint64_t>(position) % span * kOne + span / 2) / span);
            if (near + 1 >= from || far == 0) {
                add(std::min(near, from - 1), {kOne});
            } else {
                add(near, {kOne - far, far});
            }
        }
    }
    return taps;
}

}  // namespace

ScaledPicture::ScaledPicture(const Picture& picture, std::uint32_t width, std::uint32_t height)
    : picture_(picture),
      width_(width),
      height_(height),
      columns_(MakeTaps(picture.width, width, weights_)),
      rows_(MakeTaps(picture.height, height, weights_)),
      sums_(std::size_t{picture.width} * 4),
      blended_(std::size_t{picture.width} * 4) {}

void ScaledPicture::FillRow(std::uint32_t y, std::uint8_t* bgr) {
    const Taps& row = rows_[y];
    const std::uint32_t sourceWidth = picture_.width;
    if (sourceWidth == width_ && row.count == 1) {  // the source row as it is
        const std::uint8_t* source = picture_.Row(row.first);
        for (std::uint32_t x = 0; x < width_; ++x, source += 4, bgr += 3) std::memcpy(bgr, source, 3);
        return;
    }
    // The rows blended, to 16 bits: a level v of one row alone is v * 256 (kOne * v >> 6); of several,
    // at most 255 * kOne >> 6 = 65280. Four bytes a pixel, as the source has them.
    const std::size_t count = std::size_t{sourceWidth} * 4;
    std::uint16_t* blended = blended_.data();
    const std::uint8_t* first = picture_.Row(row.first);
    if (row.count == 1) {
        for (std::size_t i = 0; i < count; ++i) blended[i] = static_cast<std::uint16_t>(first[i] << 8);
    } else if (row.count == 2) {
        // w0 * a + w1 * b as (a << 14) + w1 * (b - a): the same sum with one multiplication.
        const std::int32_t w1 = weights_[row.weights + 1];
        const std::uint8_t* second = picture_.Row(row.first + 1);
        for (std::size_t i = 0; i < count; i += 4) {
            for (std::size_t c = i; c < i + 3; ++c) {
                const std::int32_t sum = (first[c] << kWeightBits) + w1 * (second[c] - first[c]);
                blended[c] = static_cast<std::uint16_t>((static_cast<std::uint32_t>(sum) + 32) >> 6);
            }
        }
    } else {
        std::fill(sums_.begin(), sums_.end(), 0u);
        for (std::uint32_t k = 0; k < row.count; ++k) {
            const std::uint32_t weight = weights_[row.weights + k];
            const std::uint8_t* source = picture_.Row(row.first + k);
            for (std::size_t i = 0; i < count; ++i) sums_[i] += weight * source[i];
        }
        for (std::size_t i = 0; i < count; ++i) blended[i] = static_cast<std::uint16_t>((sums_[i] + 32) >> 6);
    }
    // Then the columns, back to 8 bits (65280 * kOne fits 32 bits).
    constexpr int kShift = 2 * kWeightBits - 6;
    constexpr std::uint32_t kHalf = 1u << (kShift - 1);
    if (width_ > sourceWidth) {
        // Enlarging: every column is two taps (one with its second weight 0), summed as above.
        const auto blend = [](std::int32_t a, std::int32_t b, std::int32_t w1) {
            const auto sum = static_cast<std::uint32_t>((a << kWeightBits) + w1 * (b - a));
            return static_cast<std::uint8_t>((sum + kHalf) >> kShift);
        };
        for (std::uint32_t x = 0; x < width_; ++x, bgr += 3) {
            const Taps& column = columns_[x];
            const std::uint16_t* a = blended + std::size_t{column.first} * 4;
            const std::uint16_t* b = a + (column.count - 1) * 4;
            const auto w1 = static_cast<std::int32_t>(kOne - weights_[column.weights]);
            bgr[0] = blend(a[0], b[0], w1);
            bgr[1] = blend(a[1], b[1], w1);
            bgr[2] = blend(a[2], b[2], w1);
        }
        return;
    }
    for (std::uint32_t x = 0; x < width_; ++x, bgr += 3) {
        const Taps& column = columns_[x];
        const std::uint16_t* source = blended + std::size_t{column.first} * 4;
        const std::uint16_t* weight = &weights_[column.weights];
        std::uint32_t blue = kHalf, green = kHalf, red = kHalf;
        for (std::uint32_t k = 0; k < column.count; ++k, source += 4) {
            blue += weight[k] * std::uint32_t{source[0]};
            green += weight[k] * std::uint32_t{source[1]};
            red += weight[k] * std::uint32_t{source[2]};
        }
        bgr[0] = static_cast<std::uint8_t>(blue >> kShift);
        bgr[1] = static_cast<std::uint8_t>(green >> kShift);
        bgr[2] = static_cast<std::uint8_t>(red >> kShift);
    }
}

namespace {

const Picture& Validated(const Picture& picture) {
    picture.Validate();
    return picture;
}

}  // namespace

ComposedWallpaper::ComposedWallpaper(const Picture& strip, const Desktop& desktop)
    : layout_(LayOut(Validated(strip).width, strip.height, desktop)),
      strip_(strip, static_cast<std::uint32_t>(layout_.strip.Width()),
             static_cast<std::uint32_t>(layout_.strip.Height())) {
    background_.resize(std::size_t{layout_.width} * 3);
    for (std::size_t at = 0; at < background_.size(); at += 3) {
        background_[at] = desktop.blue;
        background_[at + 1] = desktop.green;
        background_[at + 2] = desktop.red;
    }
}

void ComposedWallpaper::FillRow(std::uint32_t y, std::uint8_t* bgr) {
    const PixelRect& strip = layout_.strip;
    const auto top = static_cast<std::uint32_t>(strip.top);
    if (y < top || y >= static_cast<std::uint32_t>(strip.bottom)) {
        std::memcpy(bgr, background_.data(), background_.size());
        return;
    }
    const std::size_t left = std::size_t{static_cast<std::uint32_t>(strip.left)} * 3;
    const std::size_t right = std::size_t{static_cast<std::uint32_t>(strip.right)} * 3;
    std::memcpy(bgr, background_.data(), left);
    strip_.FillRow(y - top, bgr + left);
    std::memcpy(bgr + right, background_.data() + right, background_.size() - right);
}

}  // namespace dromix
