#include "fatal_error.h"

#include <windows.h>

#include <atomic>
#include <exception>
#include <utility>

namespace dromix {
namespace {

std::function<void()>& EndHook() {
    static std::function<void()> end;
    return end;
}

}  // namespace

void OnFatalError(std::function<void()> end) { EndHook() = std::move(end); }

void ReportFatalError(const char* description) noexcept {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        try {
            if (EndHook()) std::exchange(EndHook(), nullptr)();
        } catch (...) {
            // The report matters more than a tidy end.
        }
        // Built without allocating: the error may be an exhausted heap.
        wchar_t text[512] = L"Dromix has to close: ";
        const int used = lstrlenW(text);
        MultiByteToWideChar(CP_UTF8, 0, description, -1, text + used, 512 - used - 1);
        text[511] = L'\0';
        MessageBoxW(nullptr, text, L"Dromix", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    // Ends here: TerminateProcess of this process does not return.
    for (;;) TerminateProcess(GetCurrentProcess(), 1);
}

void ReportCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        ReportFatalError(e.what());
    } catch (...) {
        ReportFatalError("Unknown error");
    }
}

}  // namespace dromix
