#pragma once
// A picture handed over a row at a time: the bitmap writer asks for each row as it writes it, so a
// picture of the screen's size is never held whole beside the strip it is made from.
#include <cstdint>

namespace dromix {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    // Writes row `y` (0 is the top) into `bgr` as Width() pixels of blue, green and red bytes.
    virtual void FillRow(std::uint32_t y, std::uint8_t* bgr) = 0;
};

}  // namespace dromix
