#pragma once
// Ownership of every system handle and COM pointer the program holds, in one place: a move-only
// owner that closes its handle exactly once with the closer of its kind, guards for what is held only
// for a scope (a device context, a selected GDI object, an SRW lock, COM on this thread), and a
// scope-exit helper for the few other things that must be undone however a scope ends.
#include <windows.h>
#include <objbase.h>

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
struct WindowKind : NullIsNone<HWND> {
    static bool Close(Type window) noexcept { return DestroyWindow(window) != FALSE; }
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
// A library loaded at run time.
struct ModuleKind : NullIsNone<HMODULE> {
    static bool Close(Type module) noexcept { return FreeLibrary(module) != FALSE; }
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
using UniqueWindow = UniqueHandle<WindowKind>;
using UniqueFont = UniqueHandle<FontKind>;
using UniqueIcon = UniqueHandle<IconKind>;
using UniqueMenu = UniqueHandle<MenuKind>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryKind>;
using UniqueModule = UniqueHandle<ModuleKind>;
template <typename Interface>
using ComPtr = UniqueHandle<ComKind<Interface>>;

// A window's device context, released to its window when the scope ends.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A GDI object selected into a device context for the scope; what it replaced is selected back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// An SRW lock held for the scope, exclusively or shared.
template <bool Exclusive>
class SrwLockGuard {
public:
    explicit SrwLockGuard(SRWLOCK& lock) noexcept : lock_(lock) {
        if constexpr (Exclusive) {
            AcquireSRWLockExclusive(&lock_);
        } else {
            AcquireSRWLockShared(&lock_);
        }
    }
    ~SrwLockGuard() {
        if constexpr (Exclusive) {
            ReleaseSRWLockExclusive(&lock_);
        } else {
            ReleaseSRWLockShared(&lock_);
        }
    }
    SrwLockGuard(const SrwLockGuard&) = delete;
    SrwLockGuard& operator=(const SrwLockGuard&) = delete;

private:
    SRWLOCK& lock_;
};
using ExclusiveLock = SrwLockGuard<true>;
using SharedLock = SrwLockGuard<false>;

// COM initialised on this thread for the scope. A thread that already runs COM in another mode keeps
// it (result() is then RPC_E_CHANGED_MODE) and nothing is undone.
class ComApartment {
public:
    explicit ComApartment(DWORD mode) noexcept : result_(CoInitializeEx(nullptr, mode)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

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
