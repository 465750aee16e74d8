#pragma once
// A decoded picture, as the system's decoder hands it to the bitmap writer.
#include <cstdint>
#include <vector>

namespace dromix {

struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Top-down rows of 32-bit pixels, bytes B, G, R, X; stride is width * 4.
    std::vector<std::uint8_t> bgrx;
};

// Limits checked against a picture's declared size before any pixel memory is allocated.
inline constexpr std::uint32_t kMaxPictureSide = 16384;
inline constexpr std::uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

}  // namespace dromix
