#pragma once
// Recognises a strip's picture from its first bytes, without decoding it: the format (GIF, JPEG or
// PNG, the formats a strip comes in) and the size its header declares. The sniff runs before any
// decoder sees the bytes, so the same sentences come out whatever decoders the system has installed.
#include <cstddef>
#include <cstdint>
#include <span>

namespace dromix {

enum class PictureFormat { Gif, Jpeg, Png };

struct PictureHeader {
    PictureFormat format;
    // The picture as shown. A GIF shows its first image alone, as a browser shows it: on a canvas of
    // its logical screen's size (enlarged to hold the image where it reaches past the screen), the
    // image at its offset there, white around it.
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t left = 0;  // a GIF's first image's offset on the canvas; 0 for the others
    std::uint32_t top = 0;
    // Where a GIF's first image ends (0 for the others): its decoder is handed the bytes up to there
    // and a trailer, so that no later frame reaches it (Wine's decoder reads every frame, each of any size).
    std::size_t firstImageEnd = 0;
    bool operator==(const PictureHeader&) const = default;
};

inline constexpr char kDamagedPicture[] = "The picture is damaged and cannot be decoded";
inline constexpr char kNotAcceptedFormat[] = "The file is not a GIF, JPEG or PNG picture";
// Followed by the kind, e.g. " (arithmetic coding)": a JPEG that Windows' built-in decoder refuses is
// refused on every system, though Wine's decodes some of them, so that a strip fares the same everywhere.
inline constexpr char kUndecodableJpeg[] = "The picture is a JPEG of a kind Windows cannot decode";

// Raises UpdateError for a side of 0 or a size over the limits (kMaxPictureSide, kMaxPicturePixels).
void CheckPictureSize(std::uint32_t width, std::uint32_t height);

// The format and declared size of the picture in `bytes`, and for a GIF where its first image lies
// and ends. Raises UpdateError for no bytes at all, an unknown format, a declared size over the limits
// (for a GIF: its screen, its first image or their canvas), a JPEG that Windows cannot decode, or a
// header (a GIF's first image) cut short or broken.
PictureHeader SniffPicture(std::span<const std::uint8_t> bytes);

}  // namespace dromix
