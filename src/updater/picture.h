#pragma once
// A decoded picture, as the system's decoder hands it to the bitmap writer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "errors.h"

namespace dromix {

struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Top-down rows of 32-bit pixels, bytes B, G, R, X, in bands of BandRows(width) whole rows (the
    // last band may hold fewer). A picture near the size limit then needs no second stretch of a
    // 32-bit process's address space beside the one its decoder takes, and goes back a band at a time.
    std::vector<std::vector<std::uint8_t>> bands;

    // Rows in one band: about a mebibyte of pixels, at least one row.
    static std::uint32_t BandRows(std::uint32_t width);
    // The bands the picture's size needs, and the bytes of band `band` (the last may hold fewer rows).
    std::size_t BandCount() const;
    std::size_t BandBytes(std::size_t band) const;
    // Zeroed bands for the picture's size; std::bad_alloc when there is no room.
    void Allocate();
    // The width * 4 bytes of row `y`, the bands laid out as Allocate lays them out.
    const std::uint8_t* Row(std::uint32_t y) const;
    // Raises UpdateError for an empty or oversize picture, or one whose bands do not match its size.
    void Validate() const;
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
    return NotEnoughMemoryTo("convert the picture (" + std::to_string(width) + " x " + std::to_string(height) + ")");
}

}  // namespace dromix
