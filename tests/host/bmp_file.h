#pragma once
// The bitmap file WriteBmp streams, whole in memory, and a decoded picture handed to it as it is.
#include "bmp_writer.h"
#include "picture.h"
#include "system_operations.h"

namespace dromix::test {

class PictureRows final : public RowSource {
public:
    explicit PictureRows(const Picture& picture) : picture_(picture) { picture.Validate(); }
    std::uint32_t Width() const override { return picture_.width; }
    std::uint32_t Height() const override { return picture_.height; }
    void FillRow(std::uint32_t y, std::uint8_t* bgr) override {
        const std::uint8_t* source = picture_.Row(y);
        for (std::uint32_t x = 0; x < picture_.width; ++x, source += 4, bgr += 3) {
            bgr[0] = source[0];
            bgr[1] = source[1];
            bgr[2] = source[2];
        }
    }

private:
    const Picture& picture_;
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
