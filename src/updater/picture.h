#pragma once
// A decoded picture, as the system's decoder hands it to the bitmap writer.
#include <cstdint>
#include <string>
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

constexpr bool WithinPictureLimits(std::uint32_t width, std::uint32_t height) {
    return width <= kMaxPictureSide && height <= kMaxPictureSide && std::uint64_t{width} * height <= kMaxPicturePixels;
}

// The description of a picture that passed the limits but whose pixels found no memory (a 32-bit
// address space can run out near the limits).
inline std::string NotEnoughMemoryFor(std::uint32_t width, std::uint32_t height) {
    return "Not enough memory to convert the picture (" + std::to_string(width) + " x " + std::to_string(height) +
           ")";
}

}  // namespace dromix
