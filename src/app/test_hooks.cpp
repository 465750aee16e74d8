#include "test_hooks.h"

#include <windows.h>

#include <cwchar>

namespace dromix {
#if defined(DROMIX_TEST_HOOKS)
namespace {

// A number from 1 to `most` from the environment, or `fallback`.
DWORD NumberFromEnvironment(const wchar_t* name, DWORD most, DWORD fallback) {
    wchar_t text[16] = {};
    const DWORD length = GetEnvironmentVariableW(name, text, 16);
    if (length == 0 || length >= 16) return fallback;
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || value == 0 || value > most) return fallback;
    return static_cast<DWORD>(value);
}

DWORD MillisecondsFromEnvironment(const wchar_t* name, DWORD fallback) {
    return NumberFromEnvironment(name, 3'600'000, fallback);
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

UpdateSchedule ScheduleWithTestHooks() {
#if defined(DROMIX_TEST_HOOKS)
    // Only ever sooner than the program's own countdowns.
    const auto sooner = [](const wchar_t* name, std::int16_t usual) {
        const auto most = static_cast<DWORD>(usual);
        return static_cast<std::int16_t>(NumberFromEnvironment(name, most, most));
    };
    return UpdateSchedule(sooner(L"DROMIX_TEST_FIRST_CYCLE_S", kFirstCountdown),
                          sooner(L"DROMIX_TEST_RESUME_S", kResumeCountdown));
#else
    return UpdateSchedule();
#endif
}

}  // namespace dromix
