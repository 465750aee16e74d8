// One run of the real Dromix.exe against the sample comic site, driven through its windows as a
// person would, the checks in order on the one started program: the leftovers of an ended cycle gone
// at start, the window's make-up, the first cycle five seconds after start, the log's colours, the
// tray icon through the shell, a second instance, and every menu command with what it does. Then the
// program's own resources.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "constants.h"
#include "e2e_support.h"
#include "reference_picture.h"
#include "version.h"

#define DROMIX_WIDEN2(text) L##text
#define DROMIX_WIDEN(text) DROMIX_WIDEN2(text)

namespace dromix::e2e {
namespace {

using dromix::testing::ChildrenOf;
using dromix::testing::ClassOf;
using dromix::testing::FindAbout;

std::vector<std::string> NewStripCycle(const std::string& strip) {
    return {"Opening < http://www.example.com/ >", "Locating image...",
            "Downloading < " + StripUrl(strip) + " >", "Converting to bitmap...",
            "Setting as wallpaper...", "Done!"};
}

const std::vector<std::string> kUnchangedCycle = {"Opening < http://www.example.com/ >", "Locating image...",
                                                  "Image hasn't changed!"};

// The bitmap file is the wallpaper showing the whole strip, and the wallpaper setting names it.
void ExpectWallpaperShows(const std::string& strip) {
    const auto expected = DecodeWithWic(Widen(StripFile(strip)));
    ASSERT_TRUE(expected.has_value()) << strip;
    const auto written = ReadBmp(ReadBytes(kBitmapPath));
    ASSERT_TRUE(written.has_value()) << "C:\\dromix.bmp is not a plain BMP file";
    EXPECT_TRUE(*written == Composed(*expected, DesktopAsSeen())) << "the bitmap is not " << strip << " on the desktop";
    EXPECT_EQ(WallpaperSetting(), L"c:\\dromix.bmp");
}

// The requests the program made since the last reset, as "GET target" lines.
std::vector<std::string> Requests(ComicSite& site) {
    const std::string json = site.Control("requests");
    std::vector<std::string> targets;
    const std::string key = "\"target\": \"";
    for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at)) {
        at += key.size();
        targets.push_back(json.substr(at, json.find('"', at) - at));
    }
    return targets;
}

std::wstring ProgramDirectoryFile(const wchar_t* name) {
    return dromix::testing::BuildTreePath(std::wstring(L"src\\app\\") + name);
}

// What a cycle ended part-way leaves, in each place it can be, and files beside them whose names
// only look alike.
struct Leftovers {
    std::vector<std::wstring> ours, others;
};
Leftovers PlaceLeftovers() {
    wchar_t local[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    const std::wstring perUser = std::wstring(local) + L"\\Dromix\\";
    CreateDirectoryW(perUser.c_str(), nullptr);
    Leftovers files{{std::wstring(kBitmapPath) + L".new", perUser + L"dromix.bmp.new", ProgramDirectoryFile(L"__dromix.tmp"),
                     std::wstring(temp) + L"__dromix.tmp"},
                    {std::wstring(kBitmapPath) + L".new.old", perUser + L"dromix.new", ProgramDirectoryFile(L"__dromix.tmp2"),
                     std::wstring(temp) + L"x__dromix.tmp"}};
    for (const auto* list : {&files.ours, &files.others}) {
        for (const std::wstring& path : *list) std::ofstream(path.c_str(), std::ios::binary) << "left";
    }
    return files;
}

bool Shown(HWND main) { return IsWindowVisible(main) && !IsIconic(main); }
bool HiddenInTray(HWND main) { return !IsWindowVisible(main) && IsIconic(main); }

// Brings the window where a step needs it, shown or hidden in the tray, by its own commands.
void Bring(HWND main, bool inTray) {
    if (HiddenInTray(main) == inTray) return;
    PostMessageW(main, WM_COMMAND, inTray ? IDM_HIDE : IDM_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return inTray ? HiddenInTray(main) : Shown(main); }));
}

// The icon's callback as the shell sends it.
void TrayMessage(HWND main, UINT mouseMessage) { PostMessageW(main, WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage)); }

// A visible popup menu of the process, if one is open.
HWND OpenPopup(DWORD pid) {
    for (HWND window : dromix::testing::TopWindowsOf(pid)) {
        if (ClassOf(window) == L"#32768" && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// Counts the screen pixels of the window's client area that are exactly `colour`, every `step`
// pixels across and down its first `rows` rows.
int PixelsOfColour(HWND window, COLORREF colour, int step, int rows) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const WindowDc screen(nullptr);
    int count = 0;
    for (int y = r.top; y < r.bottom && y < r.top + rows; y += step) {
        for (int x = r.left; x < r.right; x += step) count += GetPixel(screen.get(), x, y) == colour;
    }
    return count;
}

// Dromix.exe loaded as data, for its resources.
UniqueModule LoadProgramAsData() {
    return UniqueModule(LoadLibraryExW(dromix::testing::BuildTreePath(L"src\\app\\Dromix.exe").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

class DromixRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site_ = std::make_unique<ComicSite>();
        site_->Control("reset");
        proxy_ = std::make_unique<ProxySetting>();
        proxy_->Through(site_->Port());
        DeleteFileW(kBitmapPath);
        SetWallpaperSetting(L"");
        leftovers_ = PlaceLeftovers();
        started_ = GetTickCount64();
        program_ = std::make_unique<Program>();
    }
    static void TearDownTestSuite() {
        program_.reset();
        proxy_.reset();
        site_.reset();
    }
    void SetUp() override {
        if (!program_ || program_->Process().Ended(0)) GTEST_SKIP() << "the program is no longer running";
    }

    static inline std::unique_ptr<ComicSite> site_;
    static inline std::unique_ptr<ProxySetting> proxy_;
    static inline std::unique_ptr<Program> program_;
    static inline ULONGLONG started_ = 0;
    static inline Leftovers leftovers_;
};

// At start, before any cycle: only files of exactly the names a cycle leaves are gone.
TEST_F(DromixRun, LeftoversOfAnEndedCycleAreGoneAtStart) {
    for (const std::wstring& path : leftovers_.ours) {
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(path);
    }
    for (const std::wstring& path : leftovers_.others) {
        EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{'l', 'e', 'f', 't'})) << Narrow(path);
        DeleteFileW(path.c_str());
    }
}

TEST_F(DromixRun, MainWindowMakeUp) {
    const HWND main = program_->Main();
    EXPECT_TRUE(IsWindowVisible(main));
    const SIZE client = ClientSize(main);
    EXPECT_EQ(client.cx, 480);
    EXPECT_EQ(client.cy, 195);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    EXPECT_EQ(style & WS_THICKFRAME, 0u) << "fixed border";
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);

    const HWND log = program_->LogBox();
    const auto logStyle = static_cast<DWORD>(GetWindowLongPtrW(log, GWL_STYLE));
    EXPECT_NE(logStyle & ES_MULTILINE, 0u);
    EXPECT_NE(logStyle & ES_READONLY, 0u);
    EXPECT_NE(logStyle & WS_VSCROLL, 0u);
    RECT box{};
    GetWindowRect(log, &box);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 8);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right - box.left, 465);
    EXPECT_EQ(box.bottom - box.top, 185);
    // The limit is an unsigned count: "no limit" (0xFFFFFFFF) reads as -1 in a 32-bit LRESULT.
    EXPECT_GT(static_cast<DWORD>(SendMessageW(log, EM_GETLIMITTEXT, 0, 0)), 32767u);
}

// About stays open all the while: its modal loop keeps the main window's timer counting.
TEST_F(DromixRun, FirstCycleFiveSecondsAfterStartSetsTheStrip) {
    const HWND about = program_->OpenAbout();
    EXPECT_NE(about, nullptr);
    const Cycle cycle = program_->WaitForFirstCycle();
    const ULONGLONG seconds = (GetTickCount64() - started_) / 1000;
    EXPECT_TRUE(IsWindow(about)) << "About closed by itself";
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    ASSERT_TRUE(cycle.Complete()) << program_->Log();
    EXPECT_GE(seconds, 4u);
    EXPECT_LE(seconds, 15u);

    // A blank line, then the six stamped lines, nothing else.
    const std::string log = program_->Log();
    EXPECT_EQ(log.substr(0, 2), "\r\n");
    EXPECT_EQ(LineBreaks(log), 7u);
    EXPECT_EQ(cycle.messages, NewStripCycle("strip-1.gif"));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof today, "%02u-%02u-%04u ", unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wYear});
    for (const std::string& line : cycle.lines) {
        EXPECT_TRUE(MessageOf(line).has_value()) << line;
        EXPECT_EQ(line.substr(0, 11), today) << line;
    }

    ExpectWallpaperShows("strip-1.gif");
    // The page and the strip, each fetched once through the proxy with the program's own page URL.
    EXPECT_EQ(Requests(*site_),
              (std::vector<std::string>{kProxiedHost, std::string(kProxiedHost) + "strips/strip-1.gif"}));
    EXPECT_EQ(GetFileAttributesW(ProgramDirectoryFile(L"__dromix.tmp").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the temporary image was left behind";
}

TEST_F(DromixRun, LogShowsGreenOnBlack) {
    const HWND log = program_->LogBox();
    SetForegroundWindow(program_->Main());
    // Mostly black background, with green text on it (only the log's text colour is pure green);
    // waited for, since painting on a busy machine may come late.
    int black = 0, green = 0;
    EXPECT_TRUE(WaitUntil([&] {
        black = PixelsOfColour(log, RGB(0, 0, 0), 4, 185);
        green = PixelsOfColour(log, RGB(0, 255, 0), 1, 40);  // the lines at the top
        return black > (465 / 4) * (185 / 4) / 2 && green > 50;
    })) << "black " << black << ", green " << green;
}

// The icon exists only while the window hides in the tray: its messages while the window is shown
// (real pointer movement looks the same) do nothing. Hidden, the window stays in the tray when a
// restarted shell announces itself (the icon is added again, the old one deleted first, since Windows
// refuses a second add of the same icon), and the icon the shell then shows sends its clicks back as
// the program's callback (the record is 88 bytes in the 32-bit program): a single click does nothing,
// the right button opens the popup, a double click restores the window with the log's caret at its
// end and removes the icon.
TEST_F(DromixRun, TrayIconThroughTheShell) {
    const HWND main = program_->Main();
    const DWORD pid = program_->Process().Id();
    TrayMessage(main, WM_RBUTTONDOWN);
    TrayMessage(main, WM_LBUTTONDBLCLK);
    Sleep(500);
    EXPECT_EQ(OpenPopup(pid), nullptr);
    EXPECT_TRUE(Shown(main));

    const std::vector<HWND> before = dromix::testing::ShellTrayIcons();
    SendMessageW(program_->LogBox(), EM_SETSEL, 0, 0);
    Bring(main, true);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_TRUE(HiddenInTray(main)) << "a failed add would have left it minimised on the taskbar";
    HWND icon = nullptr;
    WaitUntil([&] {
        for (HWND candidate : dromix::testing::ShellTrayIcons()) {
            if (std::find(before.begin(), before.end(), candidate) == before.end()) icon = candidate;
        }
        return icon != nullptr;
    });
    if (!icon && !FindWindowW(L"__winex11_standalone_tray", nullptr)) {
        GTEST_SKIP() << "the shell draws its icons elsewhere than Wine's stand-alone tray";
    }
    ASSERT_NE(icon, nullptr) << "the shell shows no new icon";

    const LPARAM inside = MAKELPARAM(5, 5);
    PostMessageW(icon, WM_LBUTTONDOWN, 0, inside);
    PostMessageW(icon, WM_LBUTTONUP, 0, inside);
    Sleep(300);
    EXPECT_TRUE(HiddenInTray(main)) << "a single click does nothing";

    PostMessageW(icon, WM_RBUTTONDOWN, 0, inside);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(pid)) != nullptr; }));
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(pid) == nullptr; }));

    PostMessageW(icon, WM_LBUTTONDBLCLK, 0, inside);
    ASSERT_TRUE(WaitUntil([&] { return Shown(main); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); })) << "the icon is removed on restore";
    DWORD start = 0, end = 0;
    SendMessageW(program_->LogBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<DWORD>(program_->WideLog().size());
    EXPECT_GT(length, 0u);
    EXPECT_EQ(start, length);
    EXPECT_EQ(end, length);
}

TEST_F(DromixRun, SecondInstanceLeavesTheFirstAlone) {
    const FileState before = FileState::Of(kBitmapPath);
    {
        DromixProcess second;
        const HWND box = dromix::testing::WaitForTopWindow(second.Id(), L"#32770", L"Error");
        ASSERT_NE(box, nullptr);
        HWND ok = nullptr;
        bool saysRunning = false;
        for (HWND child : dromix::testing::ChildrenOf(box)) {
            if (TextOf(child) == L"Dromix is already running!") saysRunning = true;
            if (GetDlgCtrlID(child) == IDOK) ok = child;
        }
        EXPECT_TRUE(saysRunning);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(dromix::testing::FindTopWindow(second.Id(), L"Dromix.MainWindow"), nullptr);
        EXPECT_FALSE(second.Ended(300)) << "the second copy waits for OK";
        PostMessageW(ok, BM_CLICK, 0, 0);
        ASSERT_TRUE(second.Ended(10000));
    }
    // The first one carries on: same window, same strip, nothing touched.
    EXPECT_TRUE(IsWindowVisible(program_->Main()));
    EXPECT_TRUE(program_->Answers());
    EXPECT_EQ(program_->UpdateImage().messages, kUnchangedCycle);
    EXPECT_TRUE(FileState::Of(kBitmapPath) == before);
}

// Where a menu item is: the bar's own "&About", the bar's drop-down "&Menu", the tray icon's popup;
// or no menu: the system's broadcast of a resume from sleep.
enum class Menu { Bar, Dropdown, Popup, Resume };
enum class After { Shown, InTray, AboutOpen, Ended };

// Chooses the item as a person would with the keyboard: Alt and the item's access key in the bar; in
// "&Menu", dropped down by Alt+M, its access key; in the popup, opened by the icon's right button, its
// access key, or for "Cancel", which has none, the arrow down and Enter. The bar is used while the
// window is shown, the popup while it hides in the tray.
void Choose(Program& program, Menu menu, const std::wstring& item) {
    const HWND main = program.Main();
    const DWORD pid = program.Process().Id();
    Bring(main, menu == Menu::Popup);
    const std::size_t amp = item.find(L'&');
    const auto key = static_cast<WPARAM>(amp == std::wstring::npos ? 0 : std::towlower(item[amp + 1]));
    if (menu == Menu::Bar) {
        PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(key));
        return;
    }
    if (menu == Menu::Dropdown) PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 'm');
    if (menu == Menu::Popup) TrayMessage(main, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(pid)) != nullptr; }));
    if (key) {
        PostMessageW(popup, WM_CHAR, key, 0);
    } else {
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(pid) == nullptr; }));
}

// About: owned by the main window and modal, centred over it, without a caption or a taskbar button,
// showing the program's name, version, the author's credit and link; "Ok" closes it and gives the
// main window back.
void ExpectAboutOpenUntilOk(Program& program) {
    const HWND main = program.Main();
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = FindAbout(program.Process().Id(), main)) != nullptr; }));
    EXPECT_EQ(TextOf(about), L"");
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
    EXPECT_EQ(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    RECT outer{}, owner{};
    GetWindowRect(about, &outer);
    GetWindowRect(main, &owner);
    const long aboutWidth = outer.right - outer.left, aboutHeight = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, owner.left + (owner.right - owner.left - aboutWidth) / 2);
    EXPECT_EQ(outer.top, owner.top + (owner.bottom - owner.top - aboutHeight) / 2);

    std::wstring texts = L"|";
    for (HWND child : ChildrenOf(about)) texts += TextOf(child) + L"|";
    const std::wstring url(kAuthorUrl, kAuthorUrl + std::char_traits<char>::length(kAuthorUrl));
    for (const std::wstring& text : {std::wstring(L"Dromix"), std::wstring(L"Version " DROMIX_WIDEN(DROMIX_VERSION_TEXT)),
                                     std::wstring(kAuthorCredit), url, std::wstring(L"Ok")}) {
        EXPECT_NE(texts.find(L"|" + text + L"|"), std::wstring::npos) << Narrow(texts);
    }
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
}

// A menu as "item,item(its items),-": "-" a separator, a drop-down's items in brackets.
std::wstring Layout(HMENU menu) {
    std::wstring layout;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        layout += (i ? L"," : L"") + std::wstring(info.fType & MFT_SEPARATOR ? L"-" : text);
        if (HMENU items = GetSubMenu(menu, i)) layout += L"(" + Layout(items) + L")";
    }
    return layout;
}

// Each item of the menu bar and of the tray popup, chosen in turn (and a resume from sleep among them),
// on this run's program and, for the second "E&xit", on one of its own. Wine cannot read another process's menus, so their make-up is
// read from the program's resources, which the window loads as they are.
TEST_F(DromixRun, EveryMenuCommandDoesWhatItSays) {
    const UniqueModule exe = LoadProgramAsData();
    ASSERT_TRUE(exe);
    EXPECT_EQ(Layout(UniqueMenu(LoadMenuW(exe.get(), MAKEINTRESOURCEW(IDR_MAIN_MENU))).get()),
              L"&Menu(&Update Image,&Hide,-,E&xit),&About");
    EXPECT_EQ(Layout(UniqueMenu(LoadMenuW(exe.get(), MAKEINTRESOURCEW(IDR_POPUP_MENU))).get()),
              L"Popup(Cancel,-,&Show,&Update,-,E&xit)");

    struct Row {
        Menu menu;
        const wchar_t* item;
        const char* strip;  // the strip the site serves, its record of requests emptied; null: as it was
        std::vector<std::string> cycle;  // the cycle the command runs; none: the log stays as it was
        After after;
    };
    const Row rows[] = {
        {Menu::Dropdown, L"&Update Image", "strip-1.gif", kUnchangedCycle, After::Shown},
        {Menu::Resume, L"resume", "strip-1.gif", kUnchangedCycle, After::Shown},
        {Menu::Bar, L"&About", nullptr, {}, After::AboutOpen},
        {Menu::Dropdown, L"&Hide", nullptr, {}, After::InTray},
        {Menu::Popup, L"Cancel", nullptr, {}, After::InTray},
        {Menu::Popup, L"&Update", "strip-2.jpg", NewStripCycle("strip-2.jpg"), After::InTray},
        {Menu::Popup, L"&Show", nullptr, {}, After::Shown},
        {Menu::Popup, L"E&xit", nullptr, {}, After::Ended},
        {Menu::Dropdown, L"E&xit", nullptr, {}, After::Ended},
    };
    Program* program = program_.get();
    std::unique_ptr<Program> another;
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.item));
        if (program->Process().Ended(0)) program = (another = std::make_unique<Program>()).get();
        if (row.strip) {
            site_->Control("reset");
            site_->Strip(row.strip);
        }
        const FileState bitmap = FileState::Of(kBitmapPath);
        const std::string log = program->Log();
        if (row.menu == Menu::Resume) PostMessageW(program->Main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        else Choose(*program, row.menu, row.item);
        if (HasFatalFailure()) return;

        const HWND main = program->Main();
        if (row.cycle.empty()) {
            Sleep(300);  // for a wrong command to show itself
        } else {
            Cycle cycle;
            EXPECT_TRUE(WaitUntil([&] {
                const std::string now = program->Log();
                return now != log && (cycle = NewestCycle(now)).Complete();
            }, 60s));
            EXPECT_EQ(cycle.messages, row.cycle);
            if (row.cycle == kUnchangedCycle) {
                EXPECT_TRUE(FileState::Of(kBitmapPath) == bitmap) << "the bitmap was rewritten";
                EXPECT_EQ(Requests(*site_), std::vector<std::string>{kProxiedHost});
            } else {
                ExpectWallpaperShows(row.strip);
            }
        }
        switch (row.after) {
        case After::Shown:
            EXPECT_TRUE(WaitUntil([&] { return Shown(main); }));
            break;
        case After::InTray:
            EXPECT_TRUE(WaitUntil([&] { return HiddenInTray(main); }));
            break;
        case After::AboutOpen:
            ExpectAboutOpenUntilOk(*program);
            break;
        case After::Ended:
            ASSERT_TRUE(program->Process().Ended(10000));
            EXPECT_EQ(program->Process().ExitCode(), 0u);
            EXPECT_EQ(WallpaperSetting(), L"c:\\dromix.bmp") << "the wallpaper stays";
            break;
        }
        if (row.cycle.empty() && row.after != After::Ended) {
            EXPECT_EQ(program->Log(), log) << "a cycle ran";
        }
    }
}

// The icon holds 16 and 32 pixels in 16 colours, and 48 and 256 pixels in 32 bits; the version is the
// project's; the link cursor's hot spot sits at the finger tip, (5, 0); the manifest is there.
TEST(DromixResources, IconVersionLinkCursorAndManifest) {
    const UniqueModule exe = LoadProgramAsData();
    ASSERT_TRUE(exe);
    const HMODULE module = exe.get();
    const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* icons = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_GE(SizeofResource(module, group), 6u + 4 * 14);
    ASSERT_EQ(icons[4], 4);  // image count
    std::wstring images;
    for (int i = 0; i < 4; ++i) {
        const BYTE* entry = icons + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, ...
        images += std::to_wstring(entry[0] ? entry[0] : 256) + L"x" + std::to_wstring(entry[6]) + L" ";
    }
    EXPECT_EQ(images, L"16x4 32x4 48x32 256x32 ");

    const HRSRC version = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(version, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, version)));
    const DWORD size = SizeofResource(module, version);
    constexpr BYTE kFixedSignature[] = {0xBD, 0x04, 0xEF, 0xFE};
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(
        std::search(data, data + size, kFixedSignature, kFixedSignature + 4));
    ASSERT_LT(reinterpret_cast<const BYTE*>(fixed), data + size);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(DROMIX_VERSION_MINOR, DROMIX_VERSION_MAJOR)) << DROMIX_VERSION_TEXT;

    const HCURSOR cursor = LoadCursorW(module, MAKEINTRESOURCEW(IDC_LINK));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    const ScopeExit bitmaps([&] {
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    });
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr) << "manifest";
}

}  // namespace
}  // namespace dromix::e2e
