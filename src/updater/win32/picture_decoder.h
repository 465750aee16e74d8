#pragma once
// Picture files (GIF, JPEG, PNG, BMP, …) decoded with the Windows Imaging Component.
#include <string>

#include "picture.h"

namespace dromix {

// Decodes the first frame of the file at `path` to 32-bit pixels; transparent parts are laid over
// white. The declared size is checked against the limits before any pixel memory is allocated.
// Raises UpdateError for a file that is empty, not a picture, damaged or too large.
Picture DecodePictureFile(const std::wstring& path);

}  // namespace dromix
