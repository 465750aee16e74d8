#pragma once
// Owners for the kernel handles this library opens: files (invalid is INVALID_HANDLE_VALUE) and
// threads, events and the like (invalid is null).
#include <windows.h>

#include <memory>
#include <type_traits>

namespace dromix {

struct KernelHandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};

// Threads, events: null when there is none.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, KernelHandleCloser>;

// A file handle, where failure is INVALID_HANDLE_VALUE rather than null.
class UniqueFile {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE handle) noexcept : handle_(handle) {}
    UniqueFile(UniqueFile&& other) noexcept : handle_(other.Release()) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    ~UniqueFile() { Reset(); }

    HANDLE Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Release() noexcept {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    // Closes the file now; false (with the system's last error) when closing failed.
    bool Close() noexcept {
        const bool ok = !Valid() || CloseHandle(Release()) != FALSE;
        return ok;
    }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept {
        if (Valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace dromix
