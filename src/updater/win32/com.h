#pragma once
// A COM interface pointer owner and a scoped COM initialisation of the calling thread.
#include <objbase.h>

#include <memory>

namespace dromix {

struct ComReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};

template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

// Out-parameter adapter: `Create(OutPtr(pointer))` fills `pointer` with an owned reference.
template <typename Interface>
class ComOut {
public:
    explicit ComOut(ComPtr<Interface>& target) noexcept : target_(target) {}
    ComOut(const ComOut&) = delete;
    ComOut& operator=(const ComOut&) = delete;
    ~ComOut() { target_.reset(raw_); }
    operator Interface**() noexcept { return &raw_; }

private:
    ComPtr<Interface>& target_;
    Interface* raw_ = nullptr;
};

template <typename Interface>
ComOut<Interface> OutPtr(ComPtr<Interface>& target) noexcept {
    return ComOut<Interface>(target);
}

// Apartment-threaded COM for the lifetime of the object. A thread that already runs COM in another
// mode is left as it is: the objects used here work in either apartment.
class ScopedComInit {
public:
    ScopedComInit() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    ~ScopedComInit() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    // Failed only when COM cannot be used on this thread at all.
    HRESULT Result() const noexcept { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

private:
    HRESULT result_;
};

}  // namespace dromix
