#pragma once
// What happens to an error no window procedure can handle: it is reported in a message box and the
// program ends, as the runtime's default handling would. No exception leaves a window procedure.

namespace dromix {

[[noreturn]] void ReportFatalError(const char* description) noexcept;

// Reports the exception being handled; call only inside a catch block.
[[noreturn]] void ReportCurrentException() noexcept;

}  // namespace dromix
