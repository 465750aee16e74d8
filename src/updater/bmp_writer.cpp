#include "bmp_writer.h"

#include <array>
#include <vector>

#include "picture_sniffer.h"

namespace dromix {
namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::uint32_t BmpRowSize(std::uint32_t width) { return (width * 3 + 3) & ~std::uint32_t{3}; }

void WriteBmp(RowSource& rows, const std::function<void(std::span<const std::uint8_t>)>& write) {
    const std::uint32_t width = rows.Width();
    const std::uint32_t height = rows.Height();
    CheckPictureSize(width, height);
    const std::uint32_t rowSize = BmpRowSize(width);
    const std::uint32_t imageSize = rowSize * height;  // fits: the limits keep it under 256 MiB

    std::array<std::uint8_t, kBmpHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    Put32(&header[2], static_cast<std::uint32_t>(kBmpHeaderSize) + imageSize);
    Put32(&header[10], static_cast<std::uint32_t>(kBmpHeaderSize));
    Put32(&header[14], 40);                  // BITMAPINFOHEADER
    Put32(&header[18], width);
    Put32(&header[22], height);              // positive: bottom-up
    Put16(&header[26], 1);                   // planes
    Put16(&header[28], 24);                  // bits a pixel
    Put32(&header[34], imageSize);
    Put32(&header[38], 2835);                // 72 DPI, in pixels a metre
    Put32(&header[42], 2835);
    write(header);

    // The padding stays zero: a row source fills only its pixels.
    std::vector<std::uint8_t> row(rowSize, 0);
    for (std::uint32_t y = height; y-- > 0;) {
        rows.FillRow(y, row.data());
        write(row);
    }
}

}  // namespace dromix
