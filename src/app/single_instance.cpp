#include "single_instance.h"

#include <stdexcept>

namespace dromix {

std::optional<SingleInstance> SingleInstance::Claim(const wchar_t* name) {
    UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, name));
    const DWORD error = GetLastError();
    if (!mutex) {
        // Another program's object of another kind holds the name: treat it as ours running.
        if (error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED) return std::nullopt;
        throw std::runtime_error("The single-instance mutex cannot be created");
    }
    if (error == ERROR_ALREADY_EXISTS) return std::nullopt;
    return SingleInstance(std::move(mutex));
}

}  // namespace dromix
