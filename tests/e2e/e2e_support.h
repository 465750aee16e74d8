#pragma once
// What the end-to-end tests share: the registry proxy that routes the real Dromix.exe to the sample
// comic site, the site's control API, the running program with its log box, and the bitmap file and
// wallpaper setting it leaves behind.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "comic_site_client.h"
#include "program_driver.h"
#include "proxy_setting.h"
#include "resource.h"

namespace dromix::e2e {

using namespace std::chrono_literals;
using dromix::testing::ClosedPort;
using dromix::testing::ComicSite;
using dromix::testing::SourcePath;
using dromix::testing::ProxySetting;
using dromix::testing::DromixProcess;
using dromix::testing::TextOf;
using dromix::testing::WaitUntil;

inline constexpr wchar_t kBitmapPath[] = L"C:\\dromix.bmp";
// The host the sample site names in its strip URLs: the one the request named, without the default
// port, as a real site names itself.
inline constexpr char kStripPageHost[] = "http://www.example.com/";
// The same host as the requests name it: Wine's WinINet writes the port into the absolute-form
// requests it sends to a proxy.
inline constexpr char kProxiedHost[] = "http://www.example.com:80/";

inline std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }
inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string StripFile(const std::string& name) { return SourcePath("tests/support/strips/" + name); }

inline std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// HKCU\Control Panel\Desktop\Wallpaper, or empty.
inline std::wstring WallpaperSetting() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

inline void SetWallpaperSetting(const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The strip URL the sample site's front page names (it answers as the host the request named).
inline std::string StripUrl(const std::string& name) { return std::string(kStripPageHost) + "strips/" + name; }

// ---------------------------------------------------------------------------------------------
// The log box's text, split into lines and their stamps.

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

inline std::size_t LineBreaks(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++count;
    return count;
}

// "mm-dd-yyyy hh:mm:ss | message" → message; nullopt when the stamp is not of that form.
inline std::optional<std::string> MessageOf(const std::string& line) {
    static const std::regex stamp(R"(^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])-[0-9]{4} ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] \| )");
    std::smatch match;
    if (!std::regex_search(line, match, stamp)) return std::nullopt;
    return line.substr(static_cast<std::size_t>(match.length(0)));
}

inline bool EndsACycle(const std::string& message) {
    return message == "Done!" || message == "Image hasn't changed!" || message == "Unable to locate image" ||
           message.rfind("Error: ", 0) == 0;
}

// The lines of the newest cycle: everything after the last blank separator line.
struct Cycle {
    std::vector<std::string> lines;     // as shown, stamps included
    std::vector<std::string> messages;  // the stamps taken off (a line without a stamp stays whole)
    bool Complete() const { return !messages.empty() && EndsACycle(messages.back()); }
    std::string Last() const { return messages.empty() ? std::string() : messages.back(); }
};

inline Cycle NewestCycle(const std::string& log) {
    Cycle cycle;
    // The first cycle's blank line is the log's very first line break.
    const std::string text = "\r\n" + log;
    const std::size_t separator = text.rfind("\r\n\r\n");
    if (separator == std::string::npos) return cycle;
    cycle.lines = SplitLines(text.substr(separator + 4));
    for (const std::string& line : cycle.lines) cycle.messages.push_back(MessageOf(line).value_or(line));
    return cycle;
}

// ---------------------------------------------------------------------------------------------
// The running program.

struct Responsiveness {
    int answered = 0;
    int failed = 0;
};

class Program {
public:
    Program() : main_(process_.MainWindow()) {
        if (!main_) throw std::runtime_error("Dromix's main window did not appear");
        for (HWND child : dromix::testing::ChildrenOf(main_)) {
            if (GetDlgCtrlID(child) == IDC_LOG) logBox_ = child;
        }
        if (!logBox_) throw std::runtime_error("Dromix's log box was not found");
    }

    DromixProcess& Process() { return process_; }
    HWND Main() const { return main_; }
    HWND LogBox() const { return logBox_; }
    std::string Log() const { return Narrow(TextOf(logBox_)); }
    std::wstring WideLog() const { return TextOf(logBox_); }

    // One probe of the window: true when it answered within a second.
    bool Answers() const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
    }

    // Chooses "&About" and returns the About window once it is open, or null.
    HWND OpenAbout() {
        PostMessageW(main_, WM_COMMAND, IDM_ABOUT, 0);
        HWND about = nullptr;
        WaitUntil([&] { return (about = dromix::testing::FindAbout(process_.Id(), main_)) != nullptr; }, 5s);
        return about;
    }

    // Waits for the scheduled first cycle: five seconds after start, unless the test hooks set it sooner.
    Cycle WaitForFirstCycle() {
        Cycle cycle;
        WaitUntil([&] { return (cycle = NewestCycle(Log())).Complete(); }, 20s);
        return cycle;
    }

    // Chooses "&Update Image" and waits for the cycle's last line, probing the window with WM_NULL
    // all the while.
    Cycle UpdateImage(Responsiveness* probes = nullptr, std::chrono::milliseconds timeout = 60s) {
        const std::string before = Log();
        PostMessageW(main_, WM_COMMAND, IDM_UPDATE, 0);
        Cycle cycle;
        WaitUntil(
            [&] {
                if (probes) (Answers() ? probes->answered : probes->failed)++;
                const std::string now = Log();
                return now != before && (cycle = NewestCycle(now)).Complete();
            },
            timeout);
        return cycle;
    }

private:
    DromixProcess process_;
    HWND main_ = nullptr;
    HWND logBox_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The bitmap file: its bytes and last write time, to show a failed cycle left it alone.

struct FileState {
    bool exists = false;
    std::vector<std::uint8_t> bytes;
    FILETIME written{};

    static FileState Of(const std::wstring& path) {
        FileState state;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return state;
        state.exists = true;
        state.written = data.ftLastWriteTime;
        state.bytes = ReadBytes(path);
        return state;
    }
    bool operator==(const FileState& other) const {
        return exists == other.exists && bytes == other.bytes &&
               CompareFileTime(&written, &other.written) == 0;
    }
};

}  // namespace dromix::e2e
