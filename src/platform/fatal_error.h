#pragma once
// What happens to an error no window procedure can handle: it is reported in a message box and the
// program ends, as the runtime's default handling would. No exception leaves a window procedure.
#include <functional>

namespace dromix {

// Called once, before the box opens, to end what the program runs (the main window sets it: the
// tray icon goes and the timer stops, so nothing starts while the box is up).
void OnFatalError(std::function<void()> end);

// Shows the box once and ends the process without waiting for anything that still runs (a cycle may
// be inside the system's own locks). A second error while the box is up ends it at once.
[[noreturn]] void ReportFatalError(const char* description) noexcept;

// Reports the exception being handled; call only inside a catch block.
[[noreturn]] void ReportCurrentException() noexcept;

}  // namespace dromix
