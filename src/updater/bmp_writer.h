#pragma once
// Writes a picture as a Windows bitmap file: 24 bits a pixel, bottom-up rows padded to 4 bytes,
// no compression, no palette.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "picture.h"

namespace dromix {

inline constexpr std::size_t kBmpHeaderSize = 14 + 40;

// Bytes of one padded 24-bit row.
std::uint32_t BmpRowSize(std::uint32_t width);

// Streams the file to `write` in pieces (the headers, then one piece per row), so that a large
// picture never needs a second full-size buffer. Raises UpdateError for an empty or oversize
// picture, or one whose pixel buffer does not match its size.
void WriteBmp(const Picture& picture, const std::function<void(std::span<const std::uint8_t>)>& write);

}  // namespace dromix
