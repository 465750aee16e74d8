// One run of the real Dromix.exe through 300 cycles driven by "&Update Image": new strips, the
// same strip again and cheap faults, mixed by a seeded generator. The process's handle count and
// private bytes stay flat, the log box never holds more than 101 line breaks, every cycle ends with
// the line its situation calls for, and the window still answers at the end.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace dromix::e2e {
namespace {

constexpr int kCycles = 300;
constexpr int kWarmUp = 25;  // caches, the WinINet session and WIC settle in the first cycles

struct Usage {
    DWORD handles = 0;
    std::size_t privateBytes = 0;  // SIZE_T is unsigned long on 32-bit, not size_t
};

// The handles the system holds for `pid`. Wine answers GetProcessHandleCount for another process
// with 0, so the count comes from the system's handle table (NtQuerySystemInformation, class 16).
DWORD HandleCountOf(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    const auto query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<std::uint8_t> buffer(1 << 20);
    ULONG needed = 0;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    LONG status;
    while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status < 0) return 0;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    DWORD mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += entries[i].ownerPid == pid ? 1 : 0;
    return mine;
}

Usage UsageOf(DWORD pid) {
    Usage usage;
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process) return usage;
    if (!GetProcessHandleCount(process.get(), &usage.handles) || usage.handles == 0) usage.handles = HandleCountOf(pid);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        // Wine leaves PrivateUsage at 0 and reports the same commit charge as PagefileUsage.
        usage.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    }
    return usage;
}

// Small pictures, so that a full cycle costs little.
const std::vector<std::string> kStrips = {"indexed.gif", "palette.png", "baseline.jpg", "progressive.jpg",
                                          "animated.gif", "alpha.png", "deep.png", "strip-3.png"};

// What one cycle is made to meet, and the last line it must end with ("Error: " alone: any error).
struct Situation {
    const char* page;
    const char* image;
    bool newStrip;
    const char* last;  // null: "Done!" for a new strip, "Image hasn't changed!" for the same one
    bool storesUrl;
};

const std::vector<Situation> kSituations = {
    {"ok", "ok", true, nullptr, true},
    {"ok", "ok", true, nullptr, true},
    {"ok", "ok", true, nullptr, true},
    {"ok", "ok", false, nullptr, false},
    {"ok", "ok", false, nullptr, false},
    {"404", "ok", true, "Error: HTTP 404 Not Found", false},
    {"500", "ok", true, "Error: HTTP 500 Internal Server Error", false},
    {"no-markers", "ok", true, "Unable to locate image", false},
    {"far-marker", "ok", true, "Error: Overflow", false},
    {"ok", "404", true, "Error: HTTP 404 Not Found", true},
    {"ok", "html", true, "Error: The file is not a GIF, JPEG or PNG picture", true},
    {"ok", "truncated", true, "Error: ", true},
    {"ok", "empty", true, "Error: The picture file is empty", true},
};

TEST(Soak, ThreeHundredCyclesLeaveTheProcessFlat) {
    ComicSite site;
    site.Control("reset");
    ProxySetting proxy;
    proxy.Through(site.Port());
    Program program;
    ASSERT_EQ(program.WaitForFirstCycle().Last(), "Done!") << program.Log();
    std::string stored = StripUrl("strip-1.gif");
    std::string current = "strip-1.gif";

    std::mt19937 random(20031);  // fixed seed: the same mix on every run
    std::uniform_int_distribution<std::size_t> pickSituation(0, kSituations.size() - 1);
    std::uniform_int_distribution<std::size_t> pickStrip(0, kStrips.size() - 1);
    Usage first{}, last{};
    std::size_t mostLineBreaks = 0;
    int done = 0, unchanged = 0, failed = 0;
    const ULONGLONG started = GetTickCount64();

    for (int i = 0; i < kCycles; ++i) {
        const Situation& situation = kSituations[pickSituation(random)];
        if (situation.newStrip) {
            do current = kStrips[pickStrip(random)];
            while (StripUrl(current) == stored);
            site.Strip(current);
        } else if (StripUrl(current) != stored) {
            // The same strip again means the one last stored.
            current = stored.substr(stored.rfind('/') + 1);
            site.Strip(current);
        }
        site.Fault(situation.page, situation.image);

        const Cycle cycle = program.UpdateImage(nullptr, 30s);
        const std::string log = program.Log();
        mostLineBreaks = std::max(mostLineBreaks, LineBreaks(log));
        ASSERT_TRUE(cycle.Complete()) << "cycle " << i << ":\n" << log;
        const std::string expected =
            situation.last ? situation.last : situation.newStrip ? "Done!" : "Image hasn't changed!";
        ASSERT_EQ(cycle.Last().substr(0, expected.size()), expected) << "cycle " << i << ":\n" << log;
        if (situation.storesUrl) stored = StripUrl(current);
        (cycle.Last() == "Done!" ? done : cycle.Last() == "Image hasn't changed!" ? unchanged : failed)++;

        if (i + 1 == kWarmUp) first = UsageOf(program.Process().Id());
    }
    last = UsageOf(program.Process().Id());
    const double seconds = static_cast<double>(GetTickCount64() - started) / 1000.0;
    std::printf("soak: %d cycles in %.1f s (%d set, %d unchanged, %d failed); handles %lu -> %lu; "
                "private bytes %zu KiB -> %zu KiB; most line breaks in the log %zu\n",
                kCycles, seconds, done, unchanged, failed, first.handles, last.handles, first.privateBytes / 1024,
                last.privateBytes / 1024, mostLineBreaks);

    EXPECT_LE(mostLineBreaks, 101u);
    ASSERT_GT(first.handles, 0u) << "the handle count cannot be read";
    ASSERT_GT(first.privateBytes, 0u) << "the private bytes cannot be read";
    EXPECT_LE(last.handles, first.handles + 10) << "handles grow with the cycles";
    EXPECT_LE(last.privateBytes, first.privateBytes + 8 * 1024 * 1024) << "memory grows with the cycles";
    EXPECT_TRUE(program.Answers());
    EXPECT_FALSE(program.Process().Ended(0));
    site.NoFaults();
}

}  // namespace
}  // namespace dromix::e2e
