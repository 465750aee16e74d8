#pragma once
// Picture files (GIF, JPEG, PNG) decoded with the Windows Imaging Component.
#include <string>

#include "picture.h"

namespace dromix {

// Decodes the first frame of the file at `path` to 32-bit pixels; transparent parts are laid over
// white, and a GIF's first image is shown on its canvas, white around it. The file is sniffed first
// (SniffPicture): only a GIF, JPEG or PNG within the size limits reaches a decoder, and then the
// system's own decoder of that format. The file itself may be no larger than a download (kImageLimit).
// Raises UpdateError for a file that is empty, of another format, damaged or too large.
Picture DecodePictureFile(const std::wstring& path);

}  // namespace dromix
