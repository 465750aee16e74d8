#pragma once
// Only one copy of the program runs: the first one holds a named mutex for its whole life.
#include <windows.h>

#include <optional>

#include "handles.h"

namespace dromix {

inline constexpr wchar_t kSingleInstanceName[] = L"Local\\Dromix.SingleInstance";

class SingleInstance {
public:
    // The claim on `name`, or nothing when another process already holds it.
    static std::optional<SingleInstance> Claim(const wchar_t* name);

private:
    explicit SingleInstance(UniqueKernelHandle mutex) : mutex_(std::move(mutex)) {}
    UniqueKernelHandle mutex_;
};

}  // namespace dromix
