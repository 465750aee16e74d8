#pragma once
// Drives the real Dromix.exe from a test as a person would: start it, find its windows, read them,
// choose menu commands and answer its message boxes.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "handles.h"
#include "wine_paths.h"

namespace dromix::testing {

inline std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The window's text, asked for with a time-out so a busy program cannot hang the test. The length and
// the text are two requests, and the program may add a line in between: read again until the text fits
// the buffer with room to spare.
inline std::wstring TextOf(HWND window) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"?";
        std::wstring text(length + 1024, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, 5000, &copied);
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
    }
    return L"?";
}

inline DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

// Enumeration callbacks are named functions: on 32-bit Windows they must be __stdcall, which a
// lambda converts to under MSVC but not under GCC.
inline BOOL CALLBACK CollectWindowOf(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (ProcessOf(window) == search->pid) search->found.push_back(window);
    return TRUE;
}

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

// Top-level windows of a process, visible or not.
inline std::vector<HWND> TopWindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(&CollectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The first top-level window of `pid` with the class (and, when given, the caption).
inline HWND FindTopWindow(DWORD pid, const std::wstring& cls, const wchar_t* caption = nullptr) {
    for (HWND window : TopWindowsOf(pid)) {
        if (ClassOf(window) == cls && (!caption || TextOf(window) == caption)) return window;
    }
    return nullptr;
}

inline HWND WaitForTopWindow(DWORD pid, const std::wstring& cls, const wchar_t* caption = nullptr) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(pid, cls, caption)) != nullptr; });
    return found;
}
// The About window that `main` of process `pid` has open, or null.
inline HWND FindAbout(DWORD pid, HWND main) {
    for (HWND w : TopWindowsOf(pid)) {
        if (ClassOf(w) == L"#32770" && GetWindow(w, GW_OWNER) == main && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// The icon windows of Wine's stand-alone tray (the shell's tray where no desktop docks it), or nothing
// where the shell draws its icons elsewhere.
inline std::vector<HWND> ShellTrayIcons() {
    std::vector<HWND> icons;
    HWND tray = nullptr;
    while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
        for (HWND icon : ChildrenOf(tray)) icons.push_back(icon);
    }
    return icons;
}

// WM_NULL sent to a window every 10 ms from a thread of its own while the probe lives; the slowest
// answer is kept.
class WindowProbe {
public:
    explicit WindowProbe(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const auto sent = std::chrono::steady_clock::now();
                  DWORD_PTR result = 0;
                  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) ++unanswered_;
                  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - sent);
                  if (took > worst_.load()) worst_ = took;
                  ++probes_;
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          }) {}
    ~WindowProbe() { Stop(); }
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    // Ends the probing; the slowest answer in milliseconds.
    double Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return WorstMs();
    }
    std::chrono::microseconds Worst() const { return worst_; }
    double WorstMs() const { return static_cast<double>(worst_.load().count()) / 1000.0; }
    int Probes() const { return probes_; }
    int Unanswered() const { return unanswered_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<std::chrono::microseconds> worst_{std::chrono::microseconds(0)};
    std::atomic<int> probes_{0};
    std::atomic<int> unanswered_{0};
    std::thread thread_;
};


// One running Dromix.exe; ended (if it has not ended by itself) when the test is over.
class DromixProcess {
public:
    DromixProcess() {
        std::wstring command = L"\"" + BuildTreePath(L"src\\app\\Dromix.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            throw std::runtime_error("Dromix.exe cannot be started");
        }
        const UniqueKernelHandle thread(info.hThread);  // not needed
        process_.reset(info.hProcess);
        pid_ = info.dwProcessId;
    }
    ~DromixProcess() {
        if (!Ended(0)) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 10000);
        }
    }

    DWORD Id() const { return pid_; }
    bool Ended(DWORD milliseconds) const { return WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

    // The main window once it is there, or null.
    HWND MainWindow() const { return WaitForTopWindow(pid_, L"Dromix.MainWindow", L"Dromix"); }

private:
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
};

}  // namespace dromix::testing
