#include "picture_sniffer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "errors.h"
#include "system_operations.h"

namespace dromix {
namespace {

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Le16(unsigned v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
Bytes Be16(unsigned v) { return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}; }
Bytes Be32(unsigned v) { return Cat({Be16(v >> 16), Be16(v & 0xFFFF)}); }
Bytes Cut(Bytes bytes, std::size_t size) { return bytes.resize(size), bytes; }
Bytes As87a(Bytes gif) { return gif[4] = '7', gif; }

// A GIF89a: its logical screen, `blocks` (colour table, extensions), then the first image's descriptor
// at (left, top) and `image`: its flags, local colour table and data (one pixel unless given).
Bytes Gif(unsigned sw, unsigned sh, unsigned w, unsigned h, Bytes flags = {0}, Bytes blocks = {}, unsigned left = 0,
          unsigned top = 0, Bytes image = {0, 2, 2, 0x44, 1, 0}) {
    return Cat({Text("GIF89a"), Le16(sw), Le16(sh), flags, {0, 0}, blocks, {0x2C}, Le16(left), Le16(top), Le16(w),
                Le16(h), image});
}
// SOI, `segments`, then a start of frame.
Bytes Jpeg(unsigned w, unsigned h, Bytes segments = {}, std::uint8_t sof = 0xC0, std::uint8_t precision = 8) {
    return Cat({{0xFF, 0xD8}, segments, {0xFF, sof, 0, 17, precision}, Be16(h), Be16(w), {3}});
}
Bytes Png(unsigned w, unsigned h, const char* chunk = "IHDR") {
    return Cat({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, Be32(13), Text(chunk), Be32(w), Be32(h),
                {8, 2, 0, 0, 0}});
}

std::string Sniffed(const Bytes& bytes) {
    try {
        const PictureHeader header = SniffPicture(bytes);
        const char* const names[] = {"GIF ", "JPEG ", "PNG "};
        std::string sniffed = names[static_cast<int>(header.format)];
        sniffed.append(std::to_string(header.width)).append(" x ").append(std::to_string(header.height));
        if (header.format != PictureFormat::Gif) return sniffed;
        return sniffed + " +" + std::to_string(header.left) + "+" + std::to_string(header.top) + " ..." +
               std::to_string(header.firstImageEnd);
    } catch (const UpdateError& e) {
        return e.what();
    }
}

struct Row {
    const char* name;
    Bytes bytes;
    std::string sniffed;
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class PictureSniffer : public ::testing::TestWithParam<Row> {};
TEST_P(PictureSniffer, ReadsTheFormatAndDeclaredSizeOrRefuses) {
    EXPECT_EQ(Sniffed(GetParam().bytes), GetParam().sniffed);
}

const std::string kDamaged = kDamagedPicture;
std::string TooLarge(const char* size) { return std::string("The picture is too large (") + size + " pixels)"; }
std::string Undecodable(const char* kind) { return std::string(kUndecodableJpeg) + " (" + kind + ")"; }
const Bytes kGifExtras = Cat({{0x21, 0xF9, 4, 0, 0, 0, 0, 0}, {0x21, 0xFE, 2, 'h', 'i', 1, '!', 0}});

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureSniffer,
    ::testing::Values(
        // The canvas (the screen here), the first image's offset on it, and the end of its data.
        Row{"Gif87a", As87a(Gif(20, 10, 8, 4)), "GIF 20 x 10 +0+0 ...28"},
        Row{"GifColourTableAndExtensions", Gif(20, 10, 18, 9, {0x81}, Cat({Bytes(12, 7), kGifExtras})), "GIF 20 x 10 +0+0 ...56"},
        // Its own colour table and data in two sub-blocks; the next image, cut short, is never read.
        Row{"GifFirstImageOffsetEndsBeforeTheNext",
            Cat({Gif(20, 10, 8, 4, {0}, {}, 12, 6, Cat({{0x81}, Bytes(12, 7), {2, 1, 0x44, 1, 1, 0}})), {0x2C, 0}}),
            "GIF 20 x 10 +12+6 ...41"},
        Row{"GifFirstImagePastTheScreenEnlargesIt", Gif(20, 10, 8, 4, {0}, {}, 16, 8), "GIF 24 x 12 +16+8 ...28"},
        Row{"GifCanvasOverTheSideLimit", Gif(16384, 10, 16384, 1, {0}, {}, 1), TooLarge("16385 x 10")},
        Row{"GifScreenOverTheLimitCutAfterIt", Cut(Gif(16385, 1, 1, 1), 13), TooLarge("16385 x 1")},
        Row{"GifImageOverThePixelLimit", Gif(16384, 4096, 16384, 4097), TooLarge("16384 x 4097")},
        Row{"GifImageAtThePixelLimit", Gif(16384, 4096, 16384, 4096), "GIF 16384 x 4096 +0+0 ...28"},
        Row{"GifImageEmpty", Gif(20, 10, 0, 10), "The picture is empty"},
        Row{"GifTrailerBeforeAnyImage", Cat({Cut(Gif(20, 10, 1, 1), 13), {0x3B}}), kDamaged},
        Row{"GifCutInTheColourTable", Cut(Gif(20, 10, 1, 1, {0x87}), 100), kDamaged},
        Row{"JpegPastSegmentsAndFillBytes",
            // APP0, a fill byte, a DHT whose table looks like a frame, then RST0 and TEM without lengths.
            Jpeg(640, 480, {0xFF, 0xE0, 0, 4, 1, 2, 0xFF, 0xFF, 0xC4, 0, 6, 0xFF, 0xC0, 0, 17, 0xFF, 0xD0, 0xFF, 0x01}),
            "JPEG 640 x 480"},
        // Skipped as libjpeg skips them: bytes before a 0xFF, and a 0xFF 0x00 pair.
        Row{"JpegStrayBytesBetweenSegments", Jpeg(1, 1, {0xFF, 0xE0, 0, 2, 0x37, 0xFF, 0x00}), "JPEG 1 x 1"},
        Row{"JpegProgressive", Cat({{0xFF, 0xD8, 0xFF, 0xC2, 0, 17, 8}, Be16(30), Be16(40)}), "JPEG 40 x 30"},
        Row{"JpegArithmeticCoded", Jpeg(1, 1, {}, 0xC9), Undecodable("arithmetic coding")},
        Row{"JpegHierarchicalLosslessArithmetic", Jpeg(1, 1, {}, 0xCF), Undecodable("hierarchical, lossless, arithmetic coding")},
        Row{"JpegHierarchyBeforeTheFrame", Jpeg(1, 1, {0xFF, 0xDE, 0, 8}), Undecodable("hierarchical")},
        Row{"Jpeg12BitSamples", Jpeg(1, 1, {}, 0xC1, 12), Undecodable("12-bit samples")},
        Row{"JpegScanBeforeTheFrame", Jpeg(1, 1, {0xFF, 0xDA, 0, 2}), kDamaged},
        Row{"JpegSegmentPastTheEnd", Cut(Jpeg(1, 1, {0xFF, 0xE1, 0x40, 0}), 30), kDamaged},
        Row{"PngAtTheSideLimit", Png(16384, 1), "PNG 16384 x 1"},
        Row{"PngAtThePixelLimit", Png(4096, 16384), "PNG 4096 x 16384"},
        Row{"PngWideByOne", Png(16385, 1), TooLarge("16385 x 1")},
        Row{"PngTallByOne", Png(1, 16385), TooLarge("1 x 16385")},
        Row{"PngOverThePixelLimitByOneRow", Png(16384, 4097), TooLarge("16384 x 4097")},
        Row{"PngLargestDeclarable", Png(0xFFFFFFFF, 0xFFFFFFFF), TooLarge("4294967295 x 4294967295")},
        Row{"PngOtherFirstChunk", Png(20, 10, "tEXt"), kDamaged},
        Row{"PngCutInTheHeader", Cut(Png(20, 10), 23), kDamaged},
        Row{"GifSignatureCutShort", Text("GIF8"), kDamaged},
        Row{"JpegSignatureCutShort", {0xFF}, kDamaged},
        // Other formats (BMP, ICO, TIFF, HTML) and a whole empty file are the fault matrix's.
        Row{"OtherGifVersion", Text("GIF88a"), kNotAcceptedFormat}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace dromix
