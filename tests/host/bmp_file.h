#pragma once
// The bitmap file WriteBmp streams, whole in memory.
#include "bmp_writer.h"
#include "system_operations.h"

namespace dromix::test {

inline Bytes BmpFile(const Picture& picture) {
    Bytes file;
    WriteBmp(picture, [&file](std::span<const std::uint8_t> piece) { file.insert(file.end(), piece.begin(), piece.end()); });
    return file;
}

}  // namespace dromix::test
