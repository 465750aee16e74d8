// Footprint of the real Dromix.exe beside a bare window with an edit box: private bytes, working set
// and handle count after start, after 10 and after 100 changing cycles; the slowest answer of its
// window, probed every 10 ms, through changing cycles of the GIF, the JPEG and a picture near the
// size limit, and of a bare window beside it through the same cycles; then the CPU time it uses over
// an idle minute. Dromix reaches the sample comic site through the registry proxy setting, which is
// restored afterwards. Prints "RESULT <figure> <value>" lines, and "IDLE_BEGIN" / "IDLE_END" around
// the idle minute so scripts/bench can count the process's wake-ups.
//
//   dromix_footprint_bench --dromix Dromix.exe --bare bare_window.exe --port PORT [--cycles N] [--idle S]
//   dromix_footprint_bench --dromix Dromix.exe --bare bare_window.exe --port PORT --answers N
//     (only the answers, shown and hidden, and their floor)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "program_driver.h"
#include "proxy_setting.h"
#include "resource.h"

namespace dromix::bench {
namespace {

struct Child {
    UniqueKernelHandle process;
    DWORD id = 0;
};

Child Launch(const std::string& path, const std::wstring& arguments = L"") {
    std::wstring command = L"\"" + std::wstring(path.begin(), path.end()) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        throw std::runtime_error("Cannot start " + path);
    }
    const UniqueKernelHandle thread(info.hThread);  // not needed
    return Child{UniqueKernelHandle(info.hProcess), info.dwProcessId};
}

// The process's visible top-level window that has a child with `childId` (0: any visible one), once
// it is there.
HWND WaitForWindow(DWORD pid, int childId) {
    HWND found = nullptr;
    dromix::testing::WaitUntil(
        [&] {
            for (HWND window : dromix::testing::TopWindowsOf(pid)) {
                if (IsWindowVisible(window) && (childId == 0 || GetDlgItem(window, childId))) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        std::chrono::seconds(20));
    if (!found) throw std::runtime_error("The program's window did not appear");
    return found;
}

// Handles the process holds, counted in the system's handle table: Wine's GetProcessHandleCount
// reports none for another process.
double SystemHandleCount(DWORD pid) {
    struct Entry {
        ULONG processId;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<std::uint8_t> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            ULONG count = 0;
            std::memcpy(&count, buffer.data(), sizeof count);
            const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
            std::map<int, int> byType;
            double mine = 0;
            for (ULONG i = 0; i < count; ++i) {
                if (entries[i].processId != pid) continue;
                ++mine;
                ++byType[entries[i].objectType];
            }
            // By object type, to tell which kind of handle a growth is made of.
            std::printf("HANDLE_TYPES");
            for (const auto& [type, number] : byType) std::printf(" %d:%d", type, number);
            std::printf("\n");
            return mine;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

void Measure(HANDLE process, const std::string& prefix) {
    // scripts/bench reads the process's Linux counters when it sees this line.
    std::printf("SAMPLE %s\n", prefix.c_str());
    std::fflush(stdout);
    Sleep(500);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        throw std::runtime_error("GetProcessMemoryInfo failed: " + std::to_string(GetLastError()));
    }
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    Report(prefix + ".system_handles", SystemHandleCount(GetProcessId(process)));
    Report(prefix + ".private_kb", static_cast<double>(counters.PrivateUsage) / 1024.0);
    Report(prefix + ".working_set_kb", static_cast<double>(counters.WorkingSetSize) / 1024.0);
    Report(prefix + ".handles", handles);
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

std::wstring LogText(HWND main) {
    HWND box = GetDlgItem(main, IDC_LOG);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(box, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(box, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 10000,
                        &copied);
    text.resize(copied);
    return text;
}

// The newest log line's message (after "date time | "), or empty.
std::wstring LastMessage(HWND main) {
    std::wstring text = LogText(main);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    const std::size_t start = text.rfind(L'\n');
    const std::wstring line = text.substr(start == std::wstring::npos ? 0 : start + 1);
    const std::size_t bar = line.find(L" | ");
    return bar == std::wstring::npos ? std::wstring() : line.substr(bar + 3);
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

bool EndsACycle(const std::wstring& message) {
    return message == L"Done!" || message == L"Image hasn't changed!" || message == L"Unable to locate image" ||
           message.starts_with(L"Error: ");
}

// The page names `strip` at a URL no cycle has seen, so the next cycle downloads and converts it,
// and its lines differ from every earlier cycle's: once cycles run faster than the time stamps' one
// second, a full log whose lines repeat would look the same before and after a cycle.
void NameNewStrip(int port, const std::string& strip) {
    static int cycles = 0;
    SiteControl(port, "strip?name=" + strip + "%3Fcycle" + std::to_string(++cycles));
}

// Runs "&Update Image" and waits for that cycle's last line (the cycle runs on the program's worker
// thread, so the command returns at once). Returns the line's message.
std::wstring UpdateAndWait(HWND main) {
    const std::wstring before = LogText(main);
    PostMessageW(main, WM_COMMAND, IDM_UPDATE, 0);
    // Read every 20 ms: reading the log box is itself a message the window answers.
    for (int i = 1; i <= 3000; ++i) {
        const std::wstring now = LogText(main);
        // A command that arrives while the worker still frees the last cycle's picture, after its
        // "Done!", starts nothing: one that started nothing is given again.
        if (i % 100 == 0 && now == before) PostMessageW(main, WM_COMMAND, IDM_UPDATE, 0);
        // The cycle's lines follow its blank separator line.
        const std::size_t blank = now.rfind(L"\r\n\r\n");
        if (now != before && blank != std::wstring::npos && blank + 4 < now.size()) {
            const std::wstring last = LastMessage(main);
            if (EndsACycle(last)) return last;
        }
        Sleep(20);
    }
    throw std::runtime_error("A cycle did not end within a minute");
}

void ExpectDone(const std::wstring& last, int cycle) {
    if (last != L"Done!") {
        throw std::runtime_error("Cycle " + std::to_string(cycle) + " ended with: " + Narrow(last));
    }
}

// The slowest answer of the window through changing cycles of each kind of strip. The figures' names
// end in `suffix`.
// With `beside`, a bare window of another process is probed through the same cycles: what stalls it
// too comes from Wine's server, which every program's window calls go through, not from Dromix.
void MeasureAnswers(HWND main, int port, int cycles, const std::string& suffix = "", HWND beside = nullptr) {
    // The yardstick: the same probe, as long as the cycles take, with no cycle running. The log box
    // is read as often as while waiting for a cycle.
    {
        dromix::testing::WindowProbe probe(main);
        for (int i = 0; i < 100; ++i) {
            LogText(main);
            Sleep(20);
        }
        Report("dromix.answer_worst_ms.idle" + suffix, probe.Stop());
    }
    struct Kind {
        const char* figure;
        const char* strip;
        const char* image;
    };
    for (const Kind& kind : {Kind{"gif", "strip-1.gif", "ok"}, Kind{"jpeg", "strip-4.jpg", "ok"},
                             Kind{"large", "strip-2.jpg", "large-png"}}) {
        double worst = 0;
        double besideWorst = 0;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            NameNewStrip(port, kind.strip);
            SiteControl(port, std::string("fault?page=ok&image=") + kind.image);
            dromix::testing::WindowProbe probe(main);
            std::optional<dromix::testing::WindowProbe> other;
            if (beside) other.emplace(beside);
            const std::wstring last = UpdateAndWait(main);
            worst = std::max(worst, probe.Stop());
            if (other) besideWorst = std::max(besideWorst, other->Stop());
            ExpectDone(last, cycle);
        }
        Report(std::string("dromix.answer_worst_ms.") + kind.figure + suffix, worst);
        if (beside) Report(std::string("bare.answer_worst_ms.beside_") + kind.figure + suffix, besideWorst);
    }
    SiteControl(port, "fault?page=ok&image=ok");
}

void End(Child& child, HWND window, UINT exitCommand) {
    if (window) PostMessageW(window, exitCommand ? WM_COMMAND : WM_CLOSE, exitCommand, 0);
    if (WaitForSingleObject(child.process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(child.process.get(), 1);
}

// `path` started with `arguments`, its visible window with the child `childId` (0: any) found, and
// `run` given both; the program is ended afterwards however `run` ends, by the menu command
// `exitCommand` (0: a close).
void WithProgram(const std::string& path, const std::wstring& arguments, int childId, UINT exitCommand,
                 const std::function<void(Child&, HWND)>& run) {
    Child child = Launch(path, arguments);
    HWND window = nullptr;
    try {
        window = WaitForWindow(child.id, childId);
        run(child, window);
    } catch (...) {
        End(child, window, exitCommand);
        throw;
    }
    End(child, window, exitCommand);
}

void MeasureBare(const std::string& path) {
    WithProgram(path, L"", 0, 0, [](Child& bare, HWND) {
        Sleep(1000);
        Measure(bare.process.get(), "bare");
    });
}

// The floor of the window answers: the bare window whose log-like box is drawn again every 100 ms,
// probed as long as Dromix's cycles of one kind take.
void MeasureRepaintFloor(const std::string& path) {
    WithProgram(path, L"--repaint", 0, 0, [](Child&, HWND window) {
        Sleep(500);
        dromix::testing::WindowProbe probe(window);
        Sleep(3000);
        Report("bare.answer_worst_ms.repaint", probe.Stop());
    });
}

// The scheduled first cycle comes five seconds after start: it must end with "Done!".
void WaitForFirstCycle(HWND main) {
    for (int i = 0; i < 3000; ++i) {
        const std::wstring last = LastMessage(main);
        if (last == L"Done!" || last.starts_with(L"Error")) break;
        Sleep(10);
    }
    ExpectDone(LastMessage(main), 0);
}

// Dromix started against the sample site, its window found, `run` given the process and the window;
// the program is ended afterwards however `run` ends.
void WithDromix(const std::string& path, int port, const std::function<void(Child&, HWND)>& run) {
    SiteControl(port, "reset");
    dromix::testing::ProxySetting proxy;
    proxy.Through(port);
    WithProgram(path, L"", IDC_LOG, IDM_EXIT, run);
    SiteControl(port, "reset");
}

// The window answers of MeasureAnswers, with a bare window of another process probed beside them.
void MeasureAnswersBesideBare(HWND main, const std::string& barePath, int port, int cycles) {
    WithProgram(barePath, L"", 0, 0, [&](Child&, HWND bare) { MeasureAnswers(main, port, cycles, "", bare); });
}

void MeasureDromix(const std::string& path, const std::string& barePath, int port, int cycles, int idleSeconds) {
    WithDromix(path, port, [&](Child& dromix, HWND main) {
        Sleep(1000);
        Measure(dromix.process.get(), "dromix.start");

        WaitForFirstCycle(main);

        for (int cycle = 1; cycle <= cycles; ++cycle) {
            NameNewStrip(port, "strip-1.gif");
            ExpectDone(UpdateAndWait(main), cycle);
            if (cycle == 10) Measure(dromix.process.get(), "dromix.cycle10");
        }
        Measure(dromix.process.get(), "dromix.cycle" + std::to_string(cycles));
        MeasureAnswersBesideBare(main, barePath, port, 5);

        std::printf("IDLE_BEGIN\n");
        std::fflush(stdout);
        const double before = CpuMs(dromix.process.get());
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const double after = CpuMs(dromix.process.get());
        std::printf("IDLE_END\n");
        std::fflush(stdout);
        Report("dromix.idle_cpu_ms", before < 0 || after < 0 ? -1 : after - before);
        Report("dromix.idle_seconds", idleSeconds);
    });
}

// Only the window's answers through `cycles` changing cycles of each kind, on a full log; then the
// same with the window in the tray, where nothing of it is drawn: what is left is what the cycle's
// system calls cost the window's thread.
void AnswersOnly(const std::string& path, const std::string& barePath, int port, int cycles) {
    WithDromix(path, port, [&](Child&, HWND main) {
        WaitForFirstCycle(main);
        // A full log, as after the hundred cycles.
        for (int cycle = 1; cycle <= 16; ++cycle) {
            NameNewStrip(port, "strip-1.gif");
            ExpectDone(UpdateAndWait(main), cycle);
        }
        MeasureAnswersBesideBare(main, barePath, port, cycles);
        PostMessageW(main, WM_COMMAND, IDM_HIDE, 0);
        Sleep(1000);
        MeasureAnswers(main, port, cycles, ".hidden");
    });
}

}  // namespace
}  // namespace dromix::bench

int main(int argc, char** argv) {
    using namespace dromix::bench;
    try {
        const std::string dromix = Argument(argc, argv, "--dromix");
        const std::string bare = Argument(argc, argv, "--bare");
        const int port = std::stoi(Argument(argc, argv, "--port", "0"));
        const int cycles = std::stoi(Argument(argc, argv, "--cycles", "100"));
        const int idle = std::stoi(Argument(argc, argv, "--idle", "60"));
        const int answers = std::stoi(Argument(argc, argv, "--answers", "0"));
        if (dromix.empty() || bare.empty() || port <= 0 || cycles < 10 || idle <= 0) {
            std::fprintf(stderr, "usage: dromix_footprint_bench --dromix Dromix.exe --bare bare_window.exe --port PORT"
                                 " [--cycles N>=10] [--idle S] [--answers N]\n");
            return 2;
        }
        MeasureRepaintFloor(bare);
        if (answers > 0) {
            AnswersOnly(dromix, bare, port, answers);
            return 0;
        }
        MeasureBare(bare);
        MeasureDromix(dromix, bare, port, cycles, idle);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dromix_footprint_bench: %s\n", e.what());
        return 1;
    }
}
