#pragma once
// The wallpaper as a picture made row by row for the bitmap writer: the desktop colour, and the strip
// scaled into its place. Only the decoded strip and a few rows are ever held, whatever the screen.
#include <cstdint>
#include <vector>

#include "picture.h"
#include "row_source.h"
#include "wallpaper_layout.h"

namespace dromix {

// A picture at another size, row by row. Shrinking averages the source pixels each target pixel
// covers, weighted by how much of each it covers; enlarging interpolates between the four nearest
// (bilinear); at the same size the pixels are copied. Weights are fixed point, 14 bits.
class ScaledPicture final : public RowSource {
public:
    // `picture` must outlive this and have passed Picture::Validate.
    ScaledPicture(const Picture& picture, std::uint32_t width, std::uint32_t height);
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    void FillRow(std::uint32_t y, std::uint8_t* bgr) override;

    // The source pixels one target pixel (or row) is made of: `count` from `first`, their weights at
    // `weights` in the weight table.
    struct Taps {
        std::uint32_t first;
        std::uint32_t count;
        std::uint32_t weights;
    };

private:
    const Picture& picture_;
    std::uint32_t width_;
    std::uint32_t height_;
    std::vector<std::uint16_t> weights_;  // made with the taps: declared before them
    std::vector<Taps> columns_;
    std::vector<Taps> rows_;
    std::vector<std::uint32_t> sums_;     // one source row's worth, each row's weighted sum
    std::vector<std::uint16_t> blended_;  // the same, to 16 bits
};

// The wallpaper for `desktop` with `strip` (decoded) in its place. Raises UpdateError for a strip that
// fails Picture::Validate, and as LayOut does.
class ComposedWallpaper final : public RowSource {
public:
    ComposedWallpaper(const Picture& strip, const Desktop& desktop);
    std::uint32_t Width() const override { return layout_.width; }
    std::uint32_t Height() const override { return layout_.height; }
    void FillRow(std::uint32_t y, std::uint8_t* bgr) override;

private:
    WallpaperLayout layout_;
    ScaledPicture strip_;
    std::vector<std::uint8_t> background_;  // one row of the desktop colour
};

}  // namespace dromix
