// The window code's pure helpers: twips at a DPI, the tray record, centring, UTF-8 for the log box.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "about_window.h"
#include "cycle_worker.h"
#include "dpi.h"
#include "fake_system_operations.h"
#include "handles.h"
#include "log_box.h"
#include "wide_text.h"
#include "tray_icon.h"
#include "update_cycle.h"

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

// What the tray icon asks of the shell, in order, and whether the shell accepts it.
std::vector<DWORD> shellCalls;
BOOL shellAccepts = TRUE;
BOOL WINAPI RecordShellCall(DWORD message, PNOTIFYICONDATAA record) {
    shellCalls.push_back(message);
    return shellAccepts && record->cbSize == NOTIFYICONDATAA_V1_SIZE;
}

// What each of the window's messages means for the icon, shown or not, and what it asks of the shell.
// Wine accepts a second add of the same icon where Windows refuses it, so only the calls themselves
// show that a restarted shell gets the icon removed and then added again.
TEST(TrayIcon, ReadsItsMessagesAndComesBackAfterAShellRestart) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    const auto mouse = [](UINT button) { return static_cast<LPARAM>(button); };
    struct Case {
        bool shown;
        BOOL accepts;
        UINT message;
        LPARAM lParam;
        TrayEvent event;
        std::vector<DWORD> calls;
    };
    const Case cases[] = {
        {false, TRUE, WM_MOUSEMOVE, mouse(WM_LBUTTONDBLCLK), TrayEvent::NotForTheIcon, {}},  // the pointer, at X 515
        {false, TRUE, taskbarCreated, 0, TrayEvent::Handled, {}},
        {false, TRUE, WM_TIMER, 0, TrayEvent::NotForTheIcon, {}},
        {true, TRUE, WM_MOUSEMOVE, mouse(WM_LBUTTONDBLCLK), TrayEvent::Restore, {}},
        {true, TRUE, WM_MOUSEMOVE, mouse(WM_RBUTTONDOWN), TrayEvent::OpenPopup, {}},
        {true, TRUE, WM_MOUSEMOVE, mouse(WM_LBUTTONDOWN), TrayEvent::Handled, {}},
        {true, TRUE, WM_MOUSEMOVE, mouse(WM_MOUSEMOVE), TrayEvent::Handled, {}},
        {true, TRUE, WM_COMMAND, 0, TrayEvent::NotForTheIcon, {}},
        {true, TRUE, taskbarCreated, 0, TrayEvent::Handled, {NIM_DELETE, NIM_ADD}},
        {true, FALSE, taskbarCreated, 0, TrayEvent::Lost, {NIM_DELETE, NIM_ADD}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.message << ", mouse " << c.lParam << ", shown " << c.shown);
        shellCalls.clear();
        shellAccepts = TRUE;
        {
            TrayIcon tray(nullptr, GetModuleHandleW(nullptr), 1, "Dromix", &RecordShellCall);
            if (c.shown) {
                ASSERT_TRUE(tray.Add());
            }
            shellCalls.clear();
            shellAccepts = c.accepts;
            EXPECT_EQ(tray.OnMessage(c.message, c.lParam), c.event);
            EXPECT_EQ(shellCalls, c.calls);
            shellCalls.clear();
        }
        // The owner removes an icon that is still shown.
        const bool stillShown = c.shown && c.accepts;
        EXPECT_EQ(shellCalls, stillShown ? std::vector<DWORD>{NIM_DELETE} : std::vector<DWORD>{});
    }
    shellAccepts = TRUE;
}

TEST(TrayIcon, ANewDpiRedrawsAShownIcon) {
    shellCalls.clear();
    TrayIcon tray(nullptr, GetModuleHandleW(nullptr), 1, "Dromix", &RecordShellCall);
    tray.OnDpiChanged(144);
    ASSERT_TRUE(tray.Add());
    tray.OnDpiChanged(192);
    EXPECT_EQ(shellCalls, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
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

// The box is updated piecemeal, a delivery of lines at a time; whatever the log does, it must show
// exactly the log's text.
TEST(LogBox, ShowsExactlyTheLogTextThroughTrimsWithTheCaretAtTheEnd) {
    const UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 480, 195, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(parent);
    {
        LogBox logBox(parent.get(), GetModuleHandleW(nullptr), 1);
        logBox.Layout({120, 0, 6975, 2775}, 96);
        const HWND box = GetDlgItem(parent.get(), 1);
        ASSERT_NE(box, nullptr);
        ActivityLog log([] { return LocalTime{2026, 12, 8, 6, 5, 4}; });
        std::string text;  // the log's text, from its changes
        log.OnChange([&](const LogChange& change) {
            text = text.substr(change.removed.size()) + change.appended;
            logBox.Show(change);
        });
        const auto boxText = [box] {
            std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
            shown.resize(static_cast<std::size_t>(GetWindowTextW(box, shown.data(), static_cast<int>(shown.size()))));
            return shown;
        };
        {
            // The lines of one delivery, drawn once at its end: the box must be shown again then.
            const LogBox::Batch delivery(logBox);
            for (int i = 0; i < 120; ++i) {
                if (i % 6 == 0) log.AppendRaw("\r\n");
                log.AddLog("Downloading < http://example.com/\xC3\xA9t\xC3\xA9-" + std::to_string(i) + ".gif >");
            }
        }
        EXPECT_EQ(boxText(), Utf8ToWide(text));
        EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) << "the box stays hidden after a delivery";
        std::string flood;
        for (int i = 0; i < 150; ++i) flood += "x\r\n";
        log.AddLog(flood);
        EXPECT_EQ(boxText(), Utf8ToWide(text));

        DWORD start = 0, end = 0;
        SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, static_cast<DWORD>(GetWindowTextLengthW(box)));
        EXPECT_EQ(end, start);
    }
    EXPECT_EQ(GetDlgItem(parent.get(), 1), nullptr) << "the box goes with its owner";
}

// One cycle at a time: asking again while one runs starts nothing; once it has ended, a new one runs.
TEST(CycleWorker, ASecondStartWhileACycleRunsDoesNothing) {
    // The page fetch waits until the test lets it go, counting the cycles that reached it.
    const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> fetches{0};
    test::FakeSystemOperations system;
    system.ThrowAt(test::Op::FetchPage, [&] {
        ++fetches;
        WaitForSingleObject(release.get(), 10000);
    });
    ActivityLog log([] { return LocalTime{}; });
    UpdateCycle cycle(system, log, "http://comic.example/", "c:\\dromix.bmp");
    CycleWorker worker(cycle);
    worker.Start();
    for (int i = 0; i < 500 && fetches == 0; ++i) Sleep(10);
    worker.Start();
    worker.Start();
    Sleep(200);
    EXPECT_EQ(fetches, 1);
    EXPECT_TRUE(worker.Running());
    SetEvent(release.get());
    for (int i = 0; i < 500 && worker.Running(); ++i) Sleep(10);
    ASSERT_FALSE(worker.Running());
    Sleep(200);
    EXPECT_EQ(fetches, 1) << "a start asked for during the cycle ran a cycle afterwards";
    worker.Start();
    for (int i = 0; i < 500 && fetches < 2; ++i) Sleep(10);
    EXPECT_EQ(fetches, 2);
}

}  // namespace
}  // namespace dromix
