// Fuzzes the BMP writer with arbitrary sizes and pixel bytes: a picture is either refused with an
// UpdateError for a reason it really has, or written with consistent sizes and the right pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "bmp_file.h"
#include "bmp_writer.h"
#include "errors.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    dromix::Picture picture;
    const int shape = in.ConsumeIntegralInRange(0, 3);
    if (shape == 0) {  // anything at all
        picture.width = in.ConsumeIntegral<std::uint32_t>();
        picture.height = in.ConsumeIntegral<std::uint32_t>();
    } else if (shape == 1) {  // around the limits
        picture.width = in.ConsumeIntegralInRange<std::uint32_t>(0, 20000);
        picture.height = in.ConsumeIntegralInRange<std::uint32_t>(0, 20000);
    } else {  // small pictures, mostly with a matching buffer
        picture.width = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
        picture.height = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    }
    const std::uint64_t pixels = std::uint64_t{picture.width} * picture.height;
    // One band, as every picture of up to a mebibyte of pixels has.
    picture.bands = {in.ConsumeRemainingBytes<std::uint8_t>()};
    if (shape == 3 && pixels <= (1u << 20)) {
        // Fill a matching buffer by repeating the input's bytes, doubling what is filled so far
        // (a byte-by-byte fill took most of the target's time).
        std::vector<std::uint8_t>& bytes = picture.bands[0];
        if (bytes.empty()) bytes.push_back(0x5A);
        const std::size_t total = pixels * 4;
        std::size_t filled = std::min(bytes.size(), total);
        bytes.resize(total);
        for (; filled < total; filled *= 2) {
            std::copy_n(bytes.begin(), std::min(filled, total - filled), bytes.begin() + static_cast<long>(filled));
        }
    }

    const bool valid = picture.width > 0 && picture.height > 0 && picture.width <= dromix::kMaxPictureSide &&
                       picture.height <= dromix::kMaxPictureSide && pixels <= dromix::kMaxPicturePixels &&
                       picture.height <= dromix::Picture::BandRows(picture.width) &&
                       picture.bands[0].size() == pixels * 4;
    Bytes file;
    try {
        dromix::test::PictureRows rows(picture);
        dromix::WriteBmp(rows, [&file](std::span<const std::uint8_t> piece) {
            file.insert(file.end(), piece.begin(), piece.end());
        });
    } catch (const dromix::UpdateError&) {
        Check(!valid);
        return 0;
    }
    Check(valid);

    const std::uint32_t row = dromix::BmpRowSize(picture.width);
    Check(row % 4 == 0 && row >= picture.width * 3 && row < picture.width * 3 + 4);
    Check(file.size() == dromix::kBmpHeaderSize + std::uint64_t{row} * picture.height);
    Check(U32(file, 2) == file.size());
    Check(U32(file, 10) == dromix::kBmpHeaderSize);
    Check(U32(file, 18) == picture.width && U32(file, 22) == picture.height);
    Check(U32(file, 34) == file.size() - dromix::kBmpHeaderSize);

    // The picture's top-left pixel is the first of the file's last row, as B, G, R; padding is zero.
    const std::size_t lastRow = dromix::kBmpHeaderSize + std::size_t{row} * (picture.height - 1);
    for (int i = 0; i < 3; ++i) Check(file[lastRow + static_cast<std::size_t>(i)] == picture.bands[0][static_cast<std::size_t>(i)]);
    for (std::size_t pad = std::size_t{picture.width} * 3; pad < row; ++pad) Check(file[lastRow + pad] == 0);
    // And the bottom-right pixel ends the file's first row.
    const std::size_t lastPixel = picture.bands[0].size() - 4;
    const std::size_t firstRowEnd = dromix::kBmpHeaderSize + std::size_t{picture.width} * 3 - 3;
    for (int i = 0; i < 3; ++i) {
        Check(file[firstRowEnd + static_cast<std::size_t>(i)] == picture.bands[0][lastPixel + static_cast<std::size_t>(i)]);
    }
    return 0;
}
