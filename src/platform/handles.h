#pragma once
// Ownership of every system handle and COM pointer the program holds, in one place: a move-only
// owner that closes its handle exactly once with the closer of its kind, and a scope-exit helper for
// the few things that must be undone however a scope ends.
#include <windows.h>
#include <wininet.h>

#include <utility>

namespace dromix {

// Kind: `Type`, the handle type; `Invalid()`, the value meaning "none"; `Close(handle)`, releasing a
// valid handle and saying whether the system accepted that.
template <typename Kind>
class UniqueHandle {
public:
    using Type = typename Kind::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Kind::Invalid(); }
    // For COM pointers: the interface's members.
    Type operator->() const noexcept { return handle_; }

    Type release() noexcept { return std::exchange(handle_, Kind::Invalid()); }
    void reset(Type handle = Kind::Invalid()) noexcept {
        const Type old = std::exchange(handle_, handle);
        if (old != Kind::Invalid()) Kind::Close(old);
    }
    // Closes now; false (with the system's last error) when closing failed, as it can for a file
    // whose last data could not be written.
    bool close() noexcept {
        const Type old = release();
        return old == Kind::Invalid() || Kind::Close(old);
    }
    // The address for a call that hands out a new handle; whatever was held is released first.
    Type* put() noexcept {
        reset();
        return &handle_;
    }

private:
    Type handle_ = Kind::Invalid();
};

// Most kinds have null for "none".
template <typename T>
struct NullIsNone {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
};

// Threads, events, mutexes.
struct KernelHandleKind : NullIsNone<HANDLE> {
    static bool Close(Type handle) noexcept { return CloseHandle(handle) != FALSE; }
};
// Files: none is INVALID_HANDLE_VALUE, which is what CreateFile returns on failure.
struct FileHandleKind {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Close(Type handle) noexcept { return CloseHandle(handle) != FALSE; }
};
struct InternetHandleKind : NullIsNone<HINTERNET> {
    static bool Close(Type handle) noexcept { return InternetCloseHandle(handle) != FALSE; }
};
struct FontKind : NullIsNone<HFONT> {
    static bool Close(Type font) noexcept { return DeleteObject(font) != FALSE; }
};
struct IconKind : NullIsNone<HICON> {
    static bool Close(Type icon) noexcept { return DestroyIcon(icon) != FALSE; }
};
struct MenuKind : NullIsNone<HMENU> {
    static bool Close(Type menu) noexcept { return DestroyMenu(menu) != FALSE; }
};
// Memory the system allocated for us with LocalAlloc (FormatMessage's buffer).
struct LocalMemoryKind : NullIsNone<HLOCAL> {
    static bool Close(Type memory) noexcept { return LocalFree(memory) == nullptr; }
};
template <typename Interface>
struct ComKind : NullIsNone<Interface*> {
    static bool Close(Interface* object) noexcept {
        object->Release();
        return true;
    }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleKind>;
using UniqueFile = UniqueHandle<FileHandleKind>;
using UniqueInternet = UniqueHandle<InternetHandleKind>;
using UniqueFont = UniqueHandle<FontKind>;
using UniqueIcon = UniqueHandle<IconKind>;
using UniqueMenu = UniqueHandle<MenuKind>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryKind>;
template <typename Interface>
using ComPtr = UniqueHandle<ComKind<Interface>>;

// Runs `undo` when the scope ends, whether by return or by exception.
template <typename Undo>
class ScopeExit {
public:
    explicit ScopeExit(Undo undo) noexcept : undo_(std::move(undo)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { undo_(); }

private:
    Undo undo_;
};

}  // namespace dromix
