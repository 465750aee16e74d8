// Start-up: the single-instance rule, the first update state and the main window, then the message
// loop until the main window is closed.
#include <windows.h>

#include <optional>
#include <string_view>

#include "about_window.h"
#include "activity_log.h"
#include "constants.h"
#include "errors.h"
#include "cycle_worker.h"
#include "fatal_error.h"
#include "log_relay.h"
#include "main_window.h"
#include "single_instance.h"
#include "test_hooks.h"
#include "update_cycle.h"
#include "win32_system_operations.h"

namespace dromix {

// Everything that lives while the main window does, released in the reverse order of its making once
// the window is closed. The update cycle starts with "!" as its last URL; it runs on its worker thread
// and writes its log through the relay, which the window's thread shows.
class Program {
public:
    Program(SingleInstance instance, HINSTANCE module)
        : instance_(std::move(instance)),
          log_(&SystemLocalTime),
          relay_(&SystemLocalTime),
          system_(SystemOptionsWithTestHooks()),
          cycle_(system_, relay_, kPageUrl, kBitmapPath),
          cycles_(cycle_),
          window_(
              module, log_, relay_, cycles_,
              [module](HWND owner) { ShowAboutWindow(module, owner, {kAuthorCredit, kAuthorUrl}); },
              ScheduleWithTestHooks()) {}

    // What a cycle ended part-way by an earlier end of the program left behind goes first.
    void RemoveLeftovers() {
        try {
            RemoveCycleLeftovers(cycle_.TemporaryPath(), kBitmapPath);
        } catch (const UpdateError&) {
            // Without the program's folder there is nothing of ours to find.
        }
    }
    void Show() { window_.Show(); }

private:
    SingleInstance instance_;
    ActivityLog log_;
    LogRelay relay_;
    Win32SystemOperations system_;
    UpdateCycle cycle_;
    CycleWorker cycles_;
    MainWindow window_;
};

int RunMessageLoop() {
    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

// The program's one switch, for its installer: "/close" alone (in any case) closes the running copy.
// Anything else on the command line means nothing, as no command line does.
bool AsksToClose(std::wstring_view arguments) {
    constexpr std::wstring_view kBlank = L" \t";
    const std::size_t first = arguments.find_first_not_of(kBlank);
    if (first == std::wstring_view::npos) return false;
    arguments = arguments.substr(first, arguments.find_last_not_of(kBlank) + 1 - first);
    return CompareStringOrdinal(arguments.data(), static_cast<int>(arguments.size()), L"/close", -1, TRUE) ==
           CSTR_EQUAL;
}

// A second copy says so and ends once the message is dismissed; the first one carries on. The
// installer's close shows nothing and ends with 0 whatever it found, so that the installation goes on.
int Main(HINSTANCE module, const wchar_t* arguments) {
    if (AsksToClose(arguments ? arguments : L"")) {
        CloseRunningInstance(kSingleInstanceName, kMainWindowClass, kCloseWaitMilliseconds);
        return 0;
    }
    std::optional<SingleInstance> instance = SingleInstance::Claim(kSingleInstanceName);
    if (!instance) {
        MessageBoxW(nullptr, L"Dromix is already running!", L"Error", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    Program program(std::move(*instance), module);
    program.RemoveLeftovers();
    program.Show();
    return RunMessageLoop();
}

}  // namespace dromix

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR arguments, int) {
    try {
        return dromix::Main(module, arguments);
    } catch (...) {
        dromix::ReportCurrentException();
    }
}
