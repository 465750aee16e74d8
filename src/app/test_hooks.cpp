#include "test_hooks.h"

#include <windows.h>

#include <cwchar>

namespace dromix {
#if defined(DROMIX_TEST_HOOKS)
namespace {

// A positive number of milliseconds from the environment, or `fallback`.
DWORD MillisecondsFromEnvironment(const wchar_t* name, DWORD fallback) {
    wchar_t text[16] = {};
    const DWORD length = GetEnvironmentVariableW(name, text, 16);
    if (length == 0 || length >= 16) return fallback;
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || value == 0 || value > 3'600'000) return fallback;
    return static_cast<DWORD>(value);
}

}  // namespace
#endif

Win32SystemOperations::Options SystemOptionsWithTestHooks() {
    Win32SystemOperations::Options options;
#if defined(DROMIX_TEST_HOOKS)
    HttpTimeouts& timeouts = options.timeouts;
    timeouts.connectMs = MillisecondsFromEnvironment(L"DROMIX_TEST_TIMEOUT_MS", timeouts.connectMs);
    timeouts.receiveMs = MillisecondsFromEnvironment(L"DROMIX_TEST_TIMEOUT_MS", timeouts.receiveMs);
    timeouts.overallMs = MillisecondsFromEnvironment(L"DROMIX_TEST_DEADLINE_MS", timeouts.overallMs);
#endif
    return options;
}

}  // namespace dromix
