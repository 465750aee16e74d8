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

namespace {

// The mutex lives as long as any handle to it: this one is closed again at once.
bool Held(const wchar_t* name) { return static_cast<bool>(UniqueKernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, name))); }

}  // namespace

void CloseRunningInstance(const wchar_t* name, const wchar_t* windowClass, DWORD waitMilliseconds) {
    const ULONGLONG deadline = GetTickCount64() + waitMilliseconds;
    const auto left = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return static_cast<DWORD>(now < deadline ? deadline - now : 0);
    };
    // A copy that is starting holds the name a moment before its window exists.
    for (; Held(name); Sleep(50)) {
        if (const HWND window = FindWindowW(windowClass, nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (process) WaitForSingleObject(process.get(), left());
            return;
        }
        if (left() == 0) return;
    }
}

}  // namespace dromix
