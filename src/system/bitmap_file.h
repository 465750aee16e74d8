#pragma once
// A picture saved as a bitmap file that replaces its target in one step: the target is either
// untouched or holds the complete new bitmap.
#include <string>

#include "file_access.h"
#include "row_source.h"

namespace dromix {

// The bitmap being written, beside its target until it replaces it.
inline constexpr wchar_t kUnfinishedBitmapSuffix[] = L".new";

// Writes the picture `rows` make to "<target>.new" beside the target, flushes it, and moves it over
// the target. On any failure the temporary file is removed and the target stays as it was. Raises
// WriteRefused when the system refuses the write or the replacement.
void SaveBitmapFile(const FileAccess& files, RowSource& rows, const std::wstring& target);

}  // namespace dromix
