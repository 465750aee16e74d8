#pragma once
// Writes a picture as a Windows bitmap file: 24 bits a pixel, bottom-up rows padded to 4 bytes,
// no compression, no palette.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "row_source.h"

namespace dromix {

inline constexpr std::size_t kBmpHeaderSize = 14 + 40;

// Bytes of one padded 24-bit row.
std::uint32_t BmpRowSize(std::uint32_t width);

// Streams the file to `write` in pieces (the headers, then one piece per row, each asked of `rows`
// as it is written), so that no full-size buffer is ever needed. Raises UpdateError for a picture of
// no pixels or beyond the limits, and passes on what `rows` raises.
void WriteBmp(RowSource& rows, const std::function<void(std::span<const std::uint8_t>)>& write);

}  // namespace dromix
