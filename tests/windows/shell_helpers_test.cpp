// The window code's pure helpers: twips at a DPI, the tray record, centring, UTF-8 for the log box.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "about_window.h"
#include "dpi.h"
#include "log_box.h"
#include "wide_text.h"
#include "tray_icon.h"

namespace dromix {
namespace {

TEST(Twips, FifteenToThePixelAt96DpiAndScaledAtOthers) {
    EXPECT_EQ(TwipsToPixels(7200, 96), 480);
    EXPECT_EQ(TwipsToPixels(2925, 96), 195);
    EXPECT_EQ(TwipsToPixels(7200, 144), 720);
    EXPECT_EQ(TwipsToPixels(2925, 120), 244);  // 243.75 rounds up
    EXPECT_EQ(TwipsToPixels(7, 96), 0);        // under half a pixel
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
    EXPECT_EQ(TwipsToPixels(-8, 96), -1);
    const RECT log = BoxToPixels({120, 0, 6975, 2775}, 96);
    EXPECT_EQ(log.left, 8);
    EXPECT_EQ(log.top, 0);
    EXPECT_EQ(log.right, 8 + 465);
    EXPECT_EQ(log.bottom, 185);
}

TEST(Twips, FontHeightsInPointsAtTheDpi) {
    EXPECT_EQ(FontHeight(60, 96), -8);    // the log's 6-point Terminal
    EXPECT_EQ(FontHeight(120, 96), -16);  // 12 points
    EXPECT_EQ(FontHeight(60, 192), -16);
}

TEST(TrayRecord, FirstVersionAnsiLayoutWithPaddedTip) {
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    HICON icon = reinterpret_cast<HICON>(static_cast<INT_PTR>(0x5678));
    const NOTIFYICONDATAA record = MakeTrayRecord(window, icon, "Dromix");
    // 88 bytes on 32-bit Windows; the same fields end at 104 with 64-bit pointers.
    EXPECT_EQ(record.cbSize, sizeof(void*) == 4 ? 88u : 104u);
    EXPECT_EQ(record.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(record.hWnd, window);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 512u);
    EXPECT_EQ(record.hIcon, icon);
    const std::string tip(record.szTip, 64);
    EXPECT_EQ(tip, std::string("Dromix") + '\0' + std::string(57, ' '));
}

TEST(TrayRecord, OverlongCaptionStillEndsInNul) {
    const NOTIFYICONDATAA record = MakeTrayRecord(nullptr, nullptr, std::string(80, 'x'));
    EXPECT_EQ(std::string(record.szTip, 63), std::string(63, 'x'));
    EXPECT_EQ(record.szTip[63], '\0');
}

// What the tray icon asks of the shell, in order.
std::vector<DWORD> shellCalls;
BOOL WINAPI RecordShellCall(DWORD message, PNOTIFYICONDATAA record) {
    shellCalls.push_back(message);
    return record->cbSize == NOTIFYICONDATAA_V1_SIZE;
}

// Wine accepts a second add of the same icon where Windows refuses it, so only the calls themselves
// show that a restarted shell gets the icon removed and then added again.
TEST(TrayIcon, ShellRestartRemovesTheIconBeforeAddingItAgainAndTheOwnerRemovesIt) {
    shellCalls.clear();
    {
        TrayIcon tray(nullptr, GetModuleHandleW(nullptr), 1, "Dromix", &RecordShellCall);
        EXPECT_TRUE(tray.OnTaskbarCreated()) << "no icon was shown, so nothing is asked";
        EXPECT_TRUE(shellCalls.empty());
        ASSERT_TRUE(tray.Add());
        EXPECT_TRUE(tray.OnTaskbarCreated());
        tray.OnDpiChanged(144);
        EXPECT_TRUE(tray.Added());
    }
    EXPECT_EQ(shellCalls, (std::vector<DWORD>{NIM_ADD, NIM_DELETE, NIM_ADD, NIM_MODIFY, NIM_DELETE}));
}

TEST(AboutPlacement, CentredOverTheOwnerWithoutClamping) {
    const POINT middle = CentreOver({100, 50, 600, 350}, {300, 200});
    EXPECT_EQ(middle.x, 100 + (500 - 300) / 2);
    EXPECT_EQ(middle.y, 50 + (300 - 200) / 2);
    // Near the screen's corner the window may lie partly off it.
    const POINT offScreen = CentreOver({-400, -300, 0, -100}, {300, 400});
    EXPECT_EQ(offScreen.x, -400 + 50);
    EXPECT_EQ(offScreen.y, -300 - 100);
}

TEST(LogText, Utf8BecomesWideAndBadBytesNeverFail) {
    EXPECT_EQ(Utf8ToWide("\xC3\xA9t\xC3\xA9\r\n"), L"\u00E9t\u00E9\r\n");
    const std::wstring bad = Utf8ToWide("a\xFF" "b");
    EXPECT_EQ(bad.front(), L'a');
    EXPECT_EQ(bad.back(), L'b');
    EXPECT_EQ(bad.size(), 3u);
    EXPECT_TRUE(Utf8ToWide("").empty());
}

// The box is updated piecemeal; whatever the log does, it must show exactly the log's text.
TEST(LogBox, ShowsExactlyTheLogTextThroughTrimsWithTheCaretAtTheEnd) {
    const HWND box = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0,
                                     465, 185, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(box, nullptr);
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
    ActivityLog log([] { return LocalTime{2026, 12, 8, 6, 5, 4}; });
    log.OnChange([box](const LogChange& change) { ShowLogChange(box, change); });
    const auto boxText = [box] {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
        return text;
    };
    for (int i = 0; i < 120; ++i) {
        if (i % 6 == 0) log.AppendRaw("\r\n");
        log.AddLog("Downloading < http://example.com/\xC3\xA9t\xC3\xA9-" + std::to_string(i) + ".gif >");
    }
    EXPECT_EQ(boxText(), Utf8ToWide(log.Text()));
    std::string flood;
    for (int i = 0; i < 150; ++i) flood += "x\r\n";
    log.AddLog(flood);
    EXPECT_EQ(boxText(), Utf8ToWide(log.Text()));

    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, static_cast<DWORD>(GetWindowTextLengthW(box)));
    EXPECT_EQ(end, start);
    DestroyWindow(box);
}

}  // namespace
}  // namespace dromix
