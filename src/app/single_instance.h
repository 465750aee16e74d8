#pragma once
// Only one copy of the program runs in a session: the first one holds a named mutex for its whole
// life. An installer asks that copy to close before it replaces or removes its files.
#include <windows.h>

#include <optional>

#include "handles.h"

namespace dromix {

inline constexpr wchar_t kSingleInstanceName[] = L"Local\\Dromix.SingleInstance";
// How long the installer's close waits for the running copy to end; it then goes on without.
inline constexpr DWORD kCloseWaitMilliseconds = 10'000;

class SingleInstance {
public:
    // The claim on `name`, or nothing when another process already holds it.
    static std::optional<SingleInstance> Claim(const wchar_t* name);

private:
    explicit SingleInstance(UniqueKernelHandle mutex) : mutex_(std::move(mutex)) {}
    UniqueKernelHandle mutex_;
};

// Asks the copy that holds `name` in this session, through its main window of `windowClass`, to close
// as its close box does, and waits until its process has ended, at most `waitMilliseconds`. A window
// of that class alone, without the mutex, is not ours.
void CloseRunningInstance(const wchar_t* name, const wchar_t* windowClass, DWORD waitMilliseconds);

}  // namespace dromix
