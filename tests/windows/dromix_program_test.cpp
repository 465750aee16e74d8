// The real Dromix.exe, driven through its windows: make-up, menus, tray, close, the second
// instance, the About window and a manual update.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "constants.h"
#include "program_driver.h"
#include "proxy_setting.h"
#include "resource.h"
#include "version.h"

namespace dromix::testing {
namespace {

constexpr UINT kTrayCallback = WM_MOUSEMOVE;

#define DROMIX_WIDEN2(text) L##text
#define DROMIX_WIDEN(text) DROMIX_WIDEN2(text)

HWND LogBox(HWND main) { return FindWindowExW(main, nullptr, L"Edit", nullptr); }

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

bool HiddenInTray(HWND main) { return !IsWindowVisible(main) && IsIconic(main); }

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

bool IsSeparator(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

void Command(HWND window, int id) { PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

void TrayMessage(HWND main, UINT mouseMessage) {
    PostMessageW(main, kTrayCallback, 1, static_cast<LPARAM>(mouseMessage));
}

// Hides the window through "&Hide" and waits until it has gone to the tray.
void HideToTray(HWND main) {
    Command(main, IDM_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return HiddenInTray(main); }));
}

// A visible popup menu of the process, if one is open.
HWND OpenPopup(DWORD pid) {
    for (HWND window : TopWindowsOf(pid)) {
        if (ClassOf(window) == L"#32768" && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

constexpr BYTE kFixedSignature[] = {0xBD, 0x04, 0xEF, 0xFE};

// Dromix.exe loaded as data, for its resources.
class ProgramResources {
public:
    ProgramResources()
        : module_(LoadLibraryExW(BuildTreePath(L"src\\app\\Dromix.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ProgramResources() {
        if (module_) FreeLibrary(module_);
    }
    ProgramResources(const ProgramResources&) = delete;
    ProgramResources& operator=(const ProgramResources&) = delete;
    HMODULE Module() const { return module_; }

private:
    HMODULE module_;
};

struct MenuDestroyer {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenuForTest = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

TEST(DromixProgram, MainWindowMakeUp) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    const SIZE client = ClientSize(main);
    EXPECT_EQ(client.cx, 480);
    EXPECT_EQ(client.cy, 195);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    EXPECT_EQ(style & WS_THICKFRAME, 0u) << "fixed border";
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);

    HWND log = LogBox(main);
    ASSERT_NE(log, nullptr);
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

// Wine cannot read another process's menus, so the menus are read from the program's resources,
// which the window loads as they are, and the live bar is checked through its access keys.
TEST(DromixResources, MenuBarHoldsMenuAndAboutButNeverPopup) {
    const ProgramResources exe;
    ASSERT_NE(exe.Module(), nullptr);
    const UniqueMenuForTest bar(LoadMenuW(exe.Module(), MAKEINTRESOURCEW(IDR_MAIN_MENU)));
    ASSERT_NE(bar.get(), nullptr);
    ASSERT_EQ(GetMenuItemCount(bar.get()), 2);
    EXPECT_EQ(MenuText(bar.get(), 0), L"&Menu");
    EXPECT_EQ(MenuText(bar.get(), 1), L"&About");
    EXPECT_EQ(GetSubMenu(bar.get(), 1), nullptr) << "\"&About\" is a command in the bar itself";
    EXPECT_EQ(GetMenuItemID(bar.get(), 1), static_cast<UINT>(IDM_ABOUT));
    HMENU menu = GetSubMenu(bar.get(), 0);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(MenuText(menu, 0), L"&Update Image");
    EXPECT_EQ(MenuText(menu, 1), L"&Hide");
    EXPECT_TRUE(IsSeparator(menu, 2));
    EXPECT_EQ(MenuText(menu, 3), L"E&xit");
}

TEST(DromixResources, TrayPopupMenu) {
    const ProgramResources exe;
    const UniqueMenuForTest popupMenu(LoadMenuW(exe.Module(), MAKEINTRESOURCEW(IDR_POPUP_MENU)));
    ASSERT_NE(popupMenu.get(), nullptr);
    EXPECT_EQ(MenuText(popupMenu.get(), 0), L"Popup");
    HMENU popup = GetSubMenu(popupMenu.get(), 0);
    ASSERT_EQ(GetMenuItemCount(popup), 6);
    EXPECT_EQ(MenuText(popup, 0), L"Cancel");
    EXPECT_TRUE(IsSeparator(popup, 1));
    EXPECT_EQ(MenuText(popup, 2), L"&Show");
    EXPECT_EQ(MenuText(popup, 3), L"&Update");
    EXPECT_TRUE(IsSeparator(popup, 4));
    EXPECT_EQ(MenuText(popup, 5), L"E&xit");
}

// The icon holds 16 and 32 pixels in 16 colours, and 48 and 256 pixels in 32 bits.
TEST(DromixResources, ApplicationIconImages) {
    const ProgramResources exe;
    const HRSRC group = FindResourceW(exe.Module(), MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(exe.Module(), group)));
    ASSERT_GE(SizeofResource(exe.Module(), group), 6u + 4 * 14);
    ASSERT_EQ(data[4], 4);  // image count
    std::wstring images;
    for (int i = 0; i < 4; ++i) {
        const BYTE* entry = data + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, ...
        images += std::to_wstring(entry[0] ? entry[0] : 256) + L"x" + std::to_wstring(entry[6]) + L" ";
    }
    EXPECT_EQ(images, L"16x4 32x4 48x32 256x32 ");
}

TEST(DromixResources, VersionAndLinkCursor) {
    const ProgramResources exe;
    const HRSRC version = FindResourceW(exe.Module(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(version, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(exe.Module(), version)));
    const DWORD size = SizeofResource(exe.Module(), version);
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(
        std::search(data, data + size, kFixedSignature, kFixedSignature + 4));
    ASSERT_LT(reinterpret_cast<const BYTE*>(fixed), data + size);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(DROMIX_VERSION_MINOR, DROMIX_VERSION_MAJOR)) << DROMIX_VERSION_TEXT;
    // The link cursor's hot spot sits at the finger tip, (5, 0).
    const HCURSOR cursor = LoadCursorW(exe.Module(), MAKEINTRESOURCEW(IDC_LINK));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    EXPECT_NE(FindResourceW(exe.Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr) << "manifest";
}

TEST(DromixProgram, MenuBarAccessKeysReachTheMenuAndAbout) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_NE(GetMenu(main), nullptr);
    // Alt+M drops "&Menu" down.
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 'm');
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(dromix.Id())) != nullptr; }));
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(dromix.Id()) == nullptr; }));
    // Alt+A is the bar's own "&About" command.
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 'a');
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main) && FindAbout(dromix.Id(), main) != nullptr; }));
}

TEST(DromixProgram, HideGoesToTrayAndDoubleClickRestoresWithCaretAtEnd) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND log = LogBox(main);
    // Some log text (a manual cycle that fails at once), then a selection at its start.
    Command(main, IDM_UPDATE);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(log).find(L"| Error: ") != std::wstring::npos; }));
    SendMessageW(log, EM_SETSEL, 0, 0);

    HideToTray(main);
    // A single click on the icon does nothing; only the double click restores.
    TrayMessage(main, WM_LBUTTONDOWN);
    TrayMessage(main, WM_LBUTTONUP);
    Sleep(300);
    EXPECT_TRUE(HiddenInTray(main));

    TrayMessage(main, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
    DWORD start = 0, end = 0;
    SendMessageW(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<DWORD>(TextOf(log).size());
    EXPECT_GT(length, 0u);
    EXPECT_EQ(start, length);
    EXPECT_EQ(end, length);
    EXPECT_FALSE(dromix.Ended(0));
}

// A restarted shell announces itself; the icon is added again (the old one deleted first, since a
// second add of the same icon fails) and the window stays in the tray, reachable through it.
TEST(DromixProgram, ShellRestartKeepsTheTrayIcon) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HideToTray(main);
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Sleep(300);
    EXPECT_TRUE(HiddenInTray(main)) << "a failed add would have left it minimised on the taskbar";
    TrayMessage(main, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
}

// The whole round trip through the shell: the record (88 bytes in the 32-bit program) is accepted,
// and the icon's clicks reach the window as the specified callback.
TEST(DromixProgram, TrayIconClicksComeBackThroughTheShell) {
    const std::vector<HWND> before = ShellTrayIcons();
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HideToTray(main);
    HWND icon = nullptr;
    WaitUntil([&] {
        for (HWND candidate : ShellTrayIcons()) {
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
    ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(dromix.Id())) != nullptr; }));
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return OpenPopup(dromix.Id()) == nullptr; }));

    PostMessageW(icon, WM_LBUTTONDBLCLK, 0, inside);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); })) << "the icon is removed on restore";
}

// The icon exists only while the window hides in the tray; its messages arriving while the window is
// shown (real pointer movement looks the same) do nothing.
TEST(DromixProgram, TrayMessagesWhileShownDoNothing) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    TrayMessage(main, WM_RBUTTONDOWN);
    TrayMessage(main, WM_LBUTTONDBLCLK);
    Sleep(500);
    EXPECT_EQ(OpenPopup(dromix.Id()), nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
}

TEST(DromixProgram, TrayPopupOpensOnRightButtonAndCancelOnlyClosesIt) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HideToTray(main);

    TrayMessage(main, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(dromix.Id())) != nullptr; }));
    // The first item is "Cancel": highlight it and choose it.
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return OpenPopup(dromix.Id()) == nullptr; }));
    Sleep(200);
    EXPECT_TRUE(HiddenInTray(main));
    EXPECT_FALSE(dromix.Ended(0));

    // "&Show" from the popup brings the window back.
    Command(main, IDM_SHOW);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }));
}

TEST(DromixProgram, ExitFromThePopupEndsTheProcessWhileHidden) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HideToTray(main);
    Command(main, IDM_EXIT);
    ASSERT_TRUE(dromix.Ended(10000));
    EXPECT_EQ(dromix.ExitCode(), 0u);
}

TEST(DromixProgram, AboutIsModalCentredAndOkClosesIt) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND log = LogBox(main);
    Command(main, IDM_ABOUT);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (about = FindAbout(dromix.Id(), main)) != nullptr; }));
    EXPECT_EQ(TextOf(about), L"");
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
    EXPECT_EQ(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    // The fixed height; as wide as the credit and link need, never narrower than the fixed width.
    const SIZE client = ClientSize(about);
    EXPECT_GE(client.cx, 346);
    EXPECT_EQ(client.cy, 201);

    RECT outer{}, owner{};
    GetWindowRect(about, &outer);
    GetWindowRect(main, &owner);
    const long aboutWidth = outer.right - outer.left, aboutHeight = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, owner.left + (owner.right - owner.left - aboutWidth) / 2);
    EXPECT_EQ(outer.top, owner.top + (owner.bottom - owner.top - aboutHeight) / 2);

    std::wstring texts = L"|";
    HWND ok = nullptr;
    for (HWND child : ChildrenOf(about)) {
        texts += TextOf(child) + L"|";
        if (GetDlgCtrlID(child) == IDOK) ok = child;
    }
    EXPECT_NE(texts.find(L"|Dromix|"), std::wstring::npos) << texts;
    EXPECT_NE(texts.find(L"|Version " DROMIX_WIDEN(DROMIX_VERSION_TEXT) L"|"), std::wstring::npos) << texts;
    EXPECT_NE(texts.find(L"|" + std::wstring(kAuthorCredit) + L"|"), std::wstring::npos) << texts;
    const std::wstring url(kAuthorUrl, kAuthorUrl + std::char_traits<char>::length(kAuthorUrl));
    EXPECT_NE(texts.find(L"|" + url + L"|"), std::wstring::npos) << texts;
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(TextOf(ok), L"Ok");

    // The main window's timer keeps counting: the first scheduled cycle starts while About is open.
    EXPECT_TRUE(WaitUntil([&] { return TextOf(log).find(L"| Opening < ") != std::wstring::npos; },
                          std::chrono::seconds(15)));

    PostMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_FALSE(dromix.Ended(0));
}

TEST(DromixProgram, UpdateImageWritesTheCycleIntoTheLogBox) {
    ProxySetting proxy;
    proxy.Through(ClosedPort());
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND log = LogBox(main);
    Command(main, IDM_UPDATE);
    std::wstring text;
    ASSERT_TRUE(WaitUntil([&] { return (text = TextOf(log)).find(L"| Error: ") != std::wstring::npos; }))
        << "log: " << std::string(text.begin(), text.end());
    const std::wregex cycle(
        LR"(^\r\n\d\d-\d\d-\d{4} \d\d:\d\d:\d\d \| Opening < http://www\.example\.com/ >\r\n)"
        LR"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d \| Error: [^\r\n]+\r\n)");
    EXPECT_TRUE(std::regex_search(text, cycle)) << std::string(text.begin(), text.end());
    // The caret follows the newest line.
    DWORD start = 0;
    SendMessageW(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, static_cast<DWORD>(TextOf(log).size()));
}

// Counts the screen pixels of the window's client area that are exactly `colour`, every `step`
// pixels across and down its first `rows` rows.
int PixelsOfColour(HWND window, COLORREF colour, int step, int rows) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = r.top; y < r.bottom && y < r.top + rows; y += step) {
        for (int x = r.left; x < r.right; x += step) count += GetPixel(screen, x, y) == colour;
    }
    ReleaseDC(nullptr, screen);
    return count;
}

TEST(DromixProgram, LogShowsGreenOnBlack) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND log = LogBox(main);
    Command(main, IDM_UPDATE);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(log).find(L"| Error: ") != std::wstring::npos; }));
    SetForegroundWindow(main);
    // Mostly black background, with green text on it (only the log's text colour is pure green);
    // waited for, since painting on a busy machine may come late.
    int black = 0, green = 0;
    EXPECT_TRUE(WaitUntil([&] {
        black = PixelsOfColour(log, RGB(0, 0, 0), 4, 185);
        green = PixelsOfColour(log, RGB(0, 255, 0), 1, 40);  // the lines at the top
        return black > (465 / 4) * (185 / 4) / 2 && green > 50;
    })) << "black " << black << ", green " << green;
}

TEST(DromixProgram, PopupUpdateRunsACycleWhileHidden) {
    DromixProcess dromix;
    HWND main = dromix.MainWindow();
    ASSERT_NE(main, nullptr);
    HideToTray(main);
    Command(main, IDM_UPDATE);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(LogBox(main)).find(L"| Error: ") != std::wstring::npos; }));
    EXPECT_TRUE(HiddenInTray(main));
}

}  // namespace
}  // namespace dromix::testing
