#include "bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "errors.h"
#include "wallpaper_picture.h"

namespace dromix {
namespace {

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}
std::uint16_t U16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// A picture whose every byte differs: pixel (x, y) is B = 10y+x, G = 100+10y+x, R = 200-10y-x. Small
// enough for one band. (The bands' edges are crossed end to end: every sample strip spans two or more.)
Picture Numbered(std::uint32_t width, std::uint32_t height) {
    Picture p{width, height, {{}}};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(10 * y + x);
            p.bands[0].insert(p.bands[0].end(),
                              {v, static_cast<std::uint8_t>(100 + v), static_cast<std::uint8_t>(200 - v), 0xEE});
        }
    }
    return p;
}

TEST(BmpWriter, HeaderDescribesA24BitBottomUpBitmap) {
    const Bytes file = test::BmpFile(Numbered(3, 2));
    ASSERT_EQ(file.size(), 54u + 12u * 2u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), file.size());  // file size
    EXPECT_EQ(U32(file, 6), 0u);           // reserved
    EXPECT_EQ(U32(file, 10), 54u);         // pixel data offset
    EXPECT_EQ(U32(file, 14), 40u);         // BITMAPINFOHEADER
    EXPECT_EQ(U32(file, 18), 3u);          // width
    EXPECT_EQ(U32(file, 22), 2u);          // height, positive: bottom-up
    EXPECT_EQ(U16(file, 26), 1u);          // planes
    EXPECT_EQ(U16(file, 28), 24u);         // bits a pixel
    EXPECT_EQ(U32(file, 30), 0u);          // BI_RGB
    EXPECT_EQ(U32(file, 34), 24u);         // image size
    EXPECT_EQ(U32(file, 38), 2835u);       // horizontal resolution: 72 DPI in pixels a metre
    EXPECT_EQ(U32(file, 42), 2835u);       // vertical resolution
    EXPECT_EQ(U32(file, 46), 0u);          // no palette
    EXPECT_EQ(U32(file, 50), 0u);          // every colour important
}

TEST(BmpWriter, RowsArePaddedToFourBytes) {
    const std::uint32_t expected[] = {0, 4, 8, 12, 12, 16};
    for (std::uint32_t width = 1; width <= 5; ++width) {
        EXPECT_EQ(BmpRowSize(width), expected[width]) << width;
        const Bytes file = test::BmpFile(Numbered(width, 3));
        EXPECT_EQ(file.size(), 54u + expected[width] * 3) << width;
        EXPECT_EQ(U32(file, 2), file.size()) << width;
        EXPECT_EQ(U32(file, 34), expected[width] * 3) << width;
        // Padding bytes are zero.
        for (std::uint32_t row = 0; row < 3; ++row) {
            for (std::uint32_t pad = width * 3; pad < expected[width]; ++pad) {
                EXPECT_EQ(file[54 + row * expected[width] + pad], 0) << width << " row " << row;
            }
        }
    }
}

TEST(BmpWriter, PixelsAreBgrRowsBottomUp) {
    const Bytes file = test::BmpFile(Numbered(2, 3));
    // Rows of 8 bytes: 6 of pixels, 2 of padding; the file's first row is the picture's last (y = 2).
    const Bytes pixels(file.begin() + 54, file.end());
    EXPECT_EQ(pixels, (Bytes{20, 120, 180, 21, 121, 179, 0, 0,  //
                             10, 110, 190, 11, 111, 189, 0, 0,  //
                             0, 100, 200, 1, 101, 199, 0, 0}));
}

TEST(BmpWriter, StreamsTheHeaderThenOneRowAPiece) {
    std::vector<std::size_t> pieces;
    const Picture picture = Numbered(5, 4);
    test::PictureRows rows(picture);
    WriteBmp(rows, [&](std::span<const std::uint8_t> piece) { pieces.push_back(piece.size()); });
    EXPECT_EQ(pieces, (std::vector<std::size_t>{54, 16, 16, 16, 16}));
}

TEST(BmpWriter, RefusesInvalidPictures) {
    auto message = [](const Picture& p) -> std::string {
        try {
            test::BmpFile(p);
        } catch (const UpdateError& e) {
            return e.what();
        }
        return "accepted";
    };
    EXPECT_EQ(message(Picture{0, 5, {}}), "The picture is empty");

    for (const auto& spoil : std::vector<void (*)(Picture&)>{
             [](Picture& p) { p.bands.back().pop_back(); }, [](Picture& p) { p.bands.front().push_back(0); },
             [](Picture& p) { p.bands.pop_back(); }, [](Picture& p) { p.bands.emplace_back(); }}) {
        Picture spoilt{1024, 600, {}};  // three bands: 256, 256 and 88 rows
        spoilt.Allocate();
        spoil(spoilt);
        EXPECT_EQ(message(spoilt), "The picture's pixels do not match its size");
    }

    // The limits (the sniffer's, tested with it) are checked on the declared size alone, before the
    // pixels are looked at.
    EXPECT_EQ(message(Picture{16384, 4097, {}}), "The picture is too large (16384 x 4097 pixels)");
    // At the limits, only the (empty) buffer is wrong.
    EXPECT_EQ(message(Picture{16384, 4096, {}}), "The picture's pixels do not match its size");
}

// Shrinking averages what each pixel covers, enlarging interpolates between the nearest two of each
// axis, exact on these sizes. Pixels are (B, G, R) = (v, 255 - v, 7), given and compared as their v.
TEST(ScaledPicture, AveragesWhenShrinkingAndInterpolatesWhenEnlarging) {
    using Rows = std::vector<std::vector<int>>;
    const auto scale = [](const Rows& rows, std::uint32_t width, std::uint32_t height) {
        Picture source{std::uint32_t(rows[0].size()), std::uint32_t(rows.size()), {{}}};
        for (const auto& row : rows) {
            for (int v : row) source.bands[0].insert(source.bands[0].end(), {std::uint8_t(v), std::uint8_t(255 - v), 7, 0});
        }
        ScaledPicture scaled(source, width, height);
        Rows result(height);
        std::vector<std::uint8_t> bgr(std::size_t{width} * 3);
        for (std::uint32_t y = 0; y < height; ++y) {
            scaled.FillRow(y, bgr.data());
            for (std::size_t x = 0; x < bgr.size(); x += 3) {
                result[y].push_back(bgr[x + 1] + bgr[x] == 255 && bgr[x + 2] == 7 ? bgr[x] : -1);
            }
        }
        return result;
    };
    // Columns of 3/4 and 1/4, 1/2 and 1/2, 1/4 and 3/4 of the rows' average (20, 80, 100, 120);
    // nearest-neighbour scaling would give 0 or 40, 100 or 60, 40 or 200.
    EXPECT_EQ(scale({{0, 100, 200, 40}, {40, 60, 0, 200}}, 3, 1), (Rows{{35, 90, 115}}));
    // Between the centres of the two rows and the two columns; beyond them the edge's own pixels.
    EXPECT_EQ(scale({{0, 200}, {100, 100}}, 4, 3), (Rows{{0, 50, 150, 200}, {50, 75, 125, 150}, {100, 100, 100, 100}}));
    EXPECT_EQ(scale({{0, 200}, {100, 100}}, 2, 2), (Rows{{0, 200}, {100, 100}}));
}

}  // namespace
}  // namespace dromix
