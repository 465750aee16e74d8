#include "picture_sniffer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "errors.h"
#include "picture.h"

namespace dromix {
namespace {

using Span = std::span<const std::uint8_t>;

constexpr std::array<std::uint8_t, 6> kGif87a = {'G', 'I', 'F', '8', '7', 'a'};
constexpr std::array<std::uint8_t, 6> kGif89a = {'G', 'I', 'F', '8', '9', 'a'};
constexpr std::array<std::uint8_t, 2> kJpegStart = {0xFF, 0xD8};
constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void ThrowDamaged() { throw UpdateError(kDamagedPicture); }

void CheckWithinLimits(std::uint32_t width, std::uint32_t height) {
    if (!WithinPictureLimits(width, height)) {
        throw UpdateError("The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels)");
    }
}

// Reads forwards through the bytes; running out of them is a header cut short.
class Reader {
public:
    explicit Reader(Span bytes) : bytes_(bytes) {}

    Span Take(std::size_t count) {
        if (bytes_.size() - at_ < count) ThrowDamaged();
        const Span taken = bytes_.subspan(at_, count);
        at_ += count;
        return taken;
    }
    void Skip(std::size_t count) { Take(count); }
    std::size_t At() const { return at_; }
    std::uint8_t Byte() { return Take(1)[0]; }
    std::uint32_t Little16() {
        const Span b = Take(2);
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8;
    }
    std::uint32_t Big16() {
        const Span b = Take(2);
        return std::uint32_t{b[0]} << 8 | b[1];
    }
    std::uint32_t Big32() {
        const Span b = Take(4);
        return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    }

private:
    Span bytes_;
    std::size_t at_ = 0;
};

template <std::size_t N>
bool StartsWith(Span bytes, const std::array<std::uint8_t, N>& signature) {
    return bytes.size() >= N && std::equal(signature.begin(), signature.end(), bytes.begin());
}

// Bytes that stop inside a signature: the start of a picture, cut short.
template <std::size_t N>
bool CutShortIn(Span bytes, const std::array<std::uint8_t, N>& signature) {
    return bytes.size() < N && std::equal(bytes.begin(), bytes.end(), signature.begin());
}

// Data sub-blocks, each after its length, up to an empty one.
void SkipSubBlocks(Reader& in) {
    for (std::uint8_t length = in.Byte(); length != 0; length = in.Byte()) in.Skip(length);
}

// The logical screen, then blocks up to the first image's descriptor (extensions are skipped by
// their sub-blocks), then that image's data up to its end. The screen, the image and the canvas
// that shows them must be within the limits.
PictureHeader SniffGif(Reader in) {
    in.Skip(kGif89a.size());
    const std::uint32_t screenWidth = in.Little16();
    const std::uint32_t screenHeight = in.Little16();
    const std::uint8_t flags = in.Byte();
    in.Skip(2);  // background colour, aspect ratio
    CheckWithinLimits(screenWidth, screenHeight);
    if (flags & 0x80) in.Skip(std::size_t{3} << ((flags & 7) + 1));  // the global colour table
    for (;;) {
        switch (in.Byte()) {
        case 0x21:  // extension: its label, then sub-blocks
            in.Skip(1);
            SkipSubBlocks(in);
            break;
        case 0x2C: {  // image descriptor: left, top, width, height, flags
            const std::uint32_t left = in.Little16();
            const std::uint32_t top = in.Little16();
            const std::uint32_t width = in.Little16();
            const std::uint32_t height = in.Little16();
            CheckPictureSize(width, height);
            const std::uint32_t canvasWidth = std::max(screenWidth, left + width);
            const std::uint32_t canvasHeight = std::max(screenHeight, top + height);
            CheckWithinLimits(canvasWidth, canvasHeight);
            const std::uint8_t imageFlags = in.Byte();
            if (imageFlags & 0x80) in.Skip(std::size_t{3} << ((imageFlags & 7) + 1));  // its colour table
            in.Skip(1);  // the LZW code size
            SkipSubBlocks(in);
            return {PictureFormat::Gif, canvasWidth, canvasHeight, left, top, in.At()};
        }
        default:  // the trailer before any image, or no block at all
            ThrowDamaged();
        }
    }
}

// Start-of-frame markers: SOF0–SOF15 but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameMarker(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

[[noreturn]] void ThrowUndecodable(const std::string& kind) {
    throw UpdateError(std::string(kUndecodableJpeg) + " (" + kind + ")");
}

// Windows decodes only Huffman-coded sequential and progressive frames (SOF0–SOF2). The marker's low
// bits say what the others are: 4 hierarchical, 3 in the lowest two lossless, 8 arithmetic coding.
void CheckDecodableFrame(std::uint8_t marker) {
    const unsigned process = marker & 0x0F;
    std::string kind;
    const auto add = [&kind](bool is, const char* name) {
        if (is) kind.append(kind.empty() ? "" : ", ").append(name);
    };
    add(process & 4, "hierarchical");
    add((process & 3) == 3, "lossless");
    add(process & 8, "arithmetic coding");
    if (!kind.empty()) ThrowUndecodable(kind);
}

// SOI, then segments skipped by their lengths up to the first start of frame, which holds the size.
PictureHeader SniffJpeg(Reader in) {
    in.Skip(kJpegStart.size());
    for (;;) {
        // Stray bytes before a marker are skipped, as libjpeg and the system decoders skip them (with a
        // warning): anything up to a 0xFF, the fill bytes after it, and a 0xFF 0x00 pair (no marker).
        std::uint8_t marker = 0x00;
        while (marker == 0x00) {
            while (in.Byte() != 0xFF) {}
            do marker = in.Byte(); while (marker == 0xFF);
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // TEM, RSTn: no length
        // Anything else without a segment (a second SOI, EOI, a scan) before the frame is damage.
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) ThrowDamaged();
        if (marker == 0xDE) ThrowUndecodable("hierarchical");  // DHP: the frames of a hierarchy follow
        if (IsFrameMarker(marker)) {
            CheckDecodableFrame(marker);
            if (in.Big16() < 8) ThrowDamaged();  // its length
            const std::uint8_t precision = in.Byte();
            if (precision != 8) ThrowUndecodable(std::to_string(precision) + "-bit samples");
            const std::uint32_t height = in.Big16();
            const std::uint32_t width = in.Big16();
            CheckPictureSize(width, height);
            return {PictureFormat::Jpeg, width, height};
        }
        const std::uint32_t length = in.Big16();
        if (length < 2) ThrowDamaged();
        in.Skip(length - 2);
    }
}

// The signature, then IHDR, which must be the first chunk.
PictureHeader SniffPng(Reader in) {
    in.Skip(kPngSignature.size());
    const std::uint32_t length = in.Big32();
    const Span type = in.Take(4);
    if (length != 13 || !std::equal(type.begin(), type.end(), "IHDR")) ThrowDamaged();
    const std::uint32_t width = in.Big32();
    const std::uint32_t height = in.Big32();
    CheckPictureSize(width, height);
    return {PictureFormat::Png, width, height};
}

}  // namespace

void CheckPictureSize(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0) throw UpdateError("The picture is empty");
    CheckWithinLimits(width, height);
}

PictureHeader SniffPicture(Span bytes) {
    if (bytes.empty()) throw UpdateError("The picture file is empty");
    if (StartsWith(bytes, kGif87a) || StartsWith(bytes, kGif89a)) return SniffGif(Reader(bytes));
    if (StartsWith(bytes, kJpegStart)) return SniffJpeg(Reader(bytes));
    if (StartsWith(bytes, kPngSignature)) return SniffPng(Reader(bytes));
    if (CutShortIn(bytes, kGif87a) || CutShortIn(bytes, kGif89a) || CutShortIn(bytes, kJpegStart) ||
        CutShortIn(bytes, kPngSignature)) {
        ThrowDamaged();
    }
    throw UpdateError(kNotAcceptedFormat);
}

}  // namespace dromix
