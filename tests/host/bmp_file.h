#pragma once
// The bitmap file WriteBmp streams, whole in memory, and a decoded picture handed to it as it is.
#include <cstring>

#include "bmp_writer.h"
#include "picture.h"
#include "system_operations.h"

namespace dromix::test {

// It allocates nothing, so that a save short of memory fails inside the save.
struct PictureRows final : RowSource {
    explicit PictureRows(const Picture& source) : picture(source) { source.Validate(); }
    std::uint32_t Width() const override { return picture.width; }
    std::uint32_t Height() const override { return picture.height; }
    void FillRow(std::uint32_t y, std::uint8_t* bgr) override {
        for (std::uint32_t x = 0; x < picture.width; ++x) std::memcpy(bgr + 3 * x, picture.Row(y) + 4 * x, 3);
    }
    const Picture& picture;
};

inline Bytes BmpFile(RowSource& rows) {
    Bytes file;
    WriteBmp(rows, [&file](std::span<const std::uint8_t> piece) { file.insert(file.end(), piece.begin(), piece.end()); });
    return file;
}

inline Bytes BmpFile(const Picture& picture) {
    PictureRows rows(picture);
    return BmpFile(rows);
}

}  // namespace dromix::test
