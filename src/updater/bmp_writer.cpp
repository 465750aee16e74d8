#include "bmp_writer.h"

#include <array>

#include "errors.h"

namespace dromix {
namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Validate(const Picture& picture) {
    if (picture.width == 0 || picture.height == 0) throw UpdateError("The picture is empty");
    if (!WithinPictureLimits(picture.width, picture.height)) throw UpdateError("The picture is too large");
    bool matches = picture.bands.size() == picture.BandCount();
    for (std::size_t band = 0; matches && band < picture.bands.size(); ++band) {
        matches = picture.bands[band].size() == picture.BandBytes(band);
    }
    if (!matches) throw UpdateError("The picture's pixels do not match its size");
}

}  // namespace

std::uint32_t BmpRowSize(std::uint32_t width) { return (width * 3 + 3) & ~std::uint32_t{3}; }

void WriteBmp(const Picture& picture, const std::function<void(std::span<const std::uint8_t>)>& write) {
    Validate(picture);
    const std::uint32_t rowSize = BmpRowSize(picture.width);
    const std::uint32_t imageSize = rowSize * picture.height;  // fits: the limits keep it under 256 MiB

    std::array<std::uint8_t, kBmpHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    Put32(&header[2], static_cast<std::uint32_t>(kBmpHeaderSize) + imageSize);
    Put32(&header[10], static_cast<std::uint32_t>(kBmpHeaderSize));
    Put32(&header[14], 40);                  // BITMAPINFOHEADER
    Put32(&header[18], picture.width);
    Put32(&header[22], picture.height);      // positive: bottom-up
    Put16(&header[26], 1);                   // planes
    Put16(&header[28], 24);                  // bits a pixel
    Put32(&header[34], imageSize);
    Put32(&header[38], 2835);                // 72 DPI, in pixels a metre
    Put32(&header[42], 2835);
    write(header);

    std::vector<std::uint8_t> row(rowSize, 0);
    for (std::uint32_t y = picture.height; y-- > 0;) {
        const std::uint8_t* source = picture.Row(y);
        std::uint8_t* target = row.data();
        for (std::uint32_t x = 0; x < picture.width; ++x, source += 4, target += 3) {
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
        }
        write(row);
    }
}

}  // namespace dromix
