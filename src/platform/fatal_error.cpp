#include "fatal_error.h"

#include <windows.h>

#include <exception>
#include <string>

namespace dromix {

void ReportFatalError(const char* description) noexcept {
    // Built without allocating: the error may be an exhausted heap.
    wchar_t text[512] = L"Dromix has to close: ";
    const int used = lstrlenW(text);
    MultiByteToWideChar(CP_UTF8, 0, description, -1, text + used, 512 - used - 1);
    text[511] = L'\0';
    MessageBoxW(nullptr, text, L"Dromix", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
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
