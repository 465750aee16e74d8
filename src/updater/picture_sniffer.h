#pragma once
// Recognises a strip's picture from its first bytes, without decoding it: the format (GIF, JPEG or
// PNG, the formats a strip comes in) and the size its header declares. The sniff runs before any
// decoder sees the bytes, so the same sentences come out whatever decoders the system has installed.
#include <cstdint>
#include <span>

namespace dromix {

enum class PictureFormat { Gif, Jpeg, Png };

struct PictureHeader {
    PictureFormat format;
    std::uint32_t width;   // for a GIF, its first image's
    std::uint32_t height;
};

inline constexpr char kDamagedPicture[] = "The picture is damaged and cannot be decoded";
inline constexpr char kNotAcceptedFormat[] = "The file is not a GIF, JPEG or PNG picture";

// Raises UpdateError for a side of 0 or a size over the limits (kMaxPictureSide, kMaxPicturePixels).
void CheckPictureSize(std::uint32_t width, std::uint32_t height);

// The format and declared size of the picture in `bytes`. Raises UpdateError for no bytes at all,
// an unknown format, a declared size over the limits, or a header cut short or broken.
PictureHeader SniffPicture(std::span<const std::uint8_t> bytes);

}  // namespace dromix
