#pragma once
// Owners for the few Win32 handles the windows keep: each is released exactly once, on every path.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace dromix {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct MutexDeleter {
    void operator()(HANDLE mutex) const { CloseHandle(mutex); }
};

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
using UniqueMutex = std::unique_ptr<void, MutexDeleter>;

}  // namespace dromix
