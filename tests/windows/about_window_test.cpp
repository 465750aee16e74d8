// The About window opened in this process, with the program's resources, for the texts this build
// was configured with and for others: every label's text is measured on the real control with its
// own font and compared with what the control and the frame around it show.
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "about_layout.h"
#include "about_window.h"
#include "constants.h"
#include "handles.h"
#include "resource.h"

namespace dromix {
namespace {

struct Label {
    std::wstring text;
    RECT box{};         // in the window's client coordinates
    SIZE extent{};      // the text on one line, in the label's font
    long drawnHeight;   // the height the label's own drawing (centred, word-wrapped) takes
    long lineHeight;
    bool prefixes;      // whether an "&" would be drawn as an underline under the next letter
};

struct AboutView {
    SIZE client{};
    RECT frame{}, image{}, ok{};
    Label title, version, credit, url;
};

RECT BoxIn(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Label Measure(HWND dialog, int id) {
    Label label{};
    const HWND control = GetDlgItem(dialog, id);
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    label.text = text;
    label.box = BoxIn(dialog, control);
    label.prefixes = (GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) == 0;
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, label.text.c_str(), static_cast<int>(label.text.size()), &label.extent);
    RECT drawn{0, 0, label.box.right - label.box.left, 0};
    DrawTextW(dc, label.text.c_str(), -1, &drawn, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    label.drawnHeight = drawn.bottom - drawn.top;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    label.lineHeight = metrics.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return label;
}

AboutView view;
UINT_PTR timer = 0;

// A named __stdcall function: GCC converts no lambda to a 32-bit WNDENUMPROC.
BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs inside the window's modal loop: once the window is up, measures it and presses "Ok".
void CALLBACK MeasureAndClose(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    RECT client{};
    GetClientRect(dialog, &client);
    view.client = {client.right, client.bottom};
    view.frame = BoxIn(dialog, GetDlgItem(dialog, IDC_ABOUT_FRAME));
    view.image = BoxIn(dialog, GetDlgItem(dialog, IDC_ABOUT_IMAGE));
    view.ok = BoxIn(dialog, GetDlgItem(dialog, IDOK));
    view.title = Measure(dialog, IDC_ABOUT_TITLE);
    view.version = Measure(dialog, IDC_ABOUT_VERSION);
    view.credit = Measure(dialog, IDC_ABOUT_CREDIT);
    view.url = Measure(dialog, IDC_ABOUT_URL);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

AboutView OpenAndMeasure(const AboutTexts& texts) {
    view = AboutView{};
    const UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 600, 400,
                                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    timer = SetTimer(nullptr, 0, 50, &MeasureAndClose);
    ShowAboutWindow(GetModuleHandleW(nullptr), owner.get(), texts);
    KillTimer(nullptr, timer);
    return view;
}

long Width(const RECT& r) { return r.right - r.left; }

// Where the label's centred text lies, across.
std::pair<long, long> TextSpan(const Label& label) {
    const long left = label.box.left + (Width(label.box) - label.extent.cx) / 2;
    return {left, left + label.extent.cx};
}

// The text shows whole on one line inside its label, and the label inside `within` (the frame's
// inside or the client area).
void ExpectWholeOnOneLine(const Label& label, const RECT& within) {
    SCOPED_TRACE(std::string(label.text.begin(), label.text.end()));
    EXPECT_FALSE(label.prefixes);
    EXPECT_LE(label.extent.cx, Width(label.box));
    EXPECT_EQ(label.drawnHeight, label.lineHeight) << "wraps onto a second line";
    EXPECT_LE(label.extent.cy, label.box.bottom - label.box.top);
    const auto [left, right] = TextSpan(label);
    EXPECT_GE(left, within.left);
    EXPECT_LE(right, within.right);
    EXPECT_GE(label.box.top, within.top);
    EXPECT_LE(label.box.bottom, within.bottom);
}

// The frame's visible inside: its box less its border.
RECT InsideOf(const RECT& frame) {
    return {frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2};
}

void ExpectAllWhole(const AboutView& v) {
    const RECT client{0, 0, v.client.cx, v.client.cy};
    ExpectWholeOnOneLine(v.title, client);
    ExpectWholeOnOneLine(v.version, client);
    ExpectWholeOnOneLine(v.credit, InsideOf(v.frame));
    ExpectWholeOnOneLine(v.url, InsideOf(v.frame));
    EXPECT_LE(v.frame.right, v.client.cx);
    EXPECT_LE(v.ok.right, v.client.cx);
    EXPECT_LE(v.image.right, v.frame.left) << "the frame keeps clear of the icon";
    // Centred: the labels in the frame, the rows across the window.
    const long frameMiddle2 = v.frame.left + v.frame.right;
    EXPECT_NEAR(v.credit.box.left + v.credit.box.right, frameMiddle2, 2);
    EXPECT_NEAR(v.url.box.left + v.url.box.right, frameMiddle2, 2);
    EXPECT_NEAR(v.title.box.left + v.title.box.right, v.client.cx, 1);
    EXPECT_NEAR(v.ok.left + v.ok.right, v.client.cx, 1);
}

TEST(AboutWindow, ShortTextsKeepTheFixedLayout) {
    const AboutView v = OpenAndMeasure({L"By us", "http://a.b/"});
    ASSERT_EQ(v.credit.text, L"By us");
    EXPECT_EQ(v.client.cx, 346);
    EXPECT_EQ(v.client.cy, 201);
    // 15 twips to the pixel: the frame at 1440, 1080, 3495 × 1215; its labels at 120, 240 and
    // 1050, 720 inside it; the button at 240, 2400, 4695 × 375.
    EXPECT_EQ(v.frame.left, 96);
    EXPECT_EQ(v.frame.top, 72);
    EXPECT_EQ(Width(v.frame), 233);
    EXPECT_EQ(v.credit.box.left, 96 + 8);
    EXPECT_EQ(Width(v.credit.box), 217);
    EXPECT_EQ(v.url.box.left, 96 + 70);
    EXPECT_EQ(Width(v.url.box), 94);
    EXPECT_EQ(v.ok.left, 16);
    EXPECT_EQ(v.ok.top, 160);
    EXPECT_EQ(Width(v.ok), 313);
    ExpectAllWhole(v);
}

TEST(AboutWindow, BuiltInTextsShowWhole) {
    const AboutView v = OpenAndMeasure({kAuthorCredit, kAuthorUrl});
    ASSERT_EQ(v.url.text, std::wstring(kAuthorUrl, kAuthorUrl + std::char_traits<char>::length(kAuthorUrl)));
    EXPECT_EQ(v.client.cy, 201);
    EXPECT_GE(v.client.cx, 346);
    ExpectAllWhole(v);
}

TEST(AboutWindow, LongUrlAndCreditWidenFrameAndWindow) {
    const AboutView v = OpenAndMeasure(
        {L"Written and drawn by the Dromix developers & friends",
         "https://www.example.com/a/rather/long/path/to/the/authors/own/web/site/index.html?from=dromix"});
    EXPECT_EQ(v.credit.text, L"Written and drawn by the Dromix developers & friends");
    EXPECT_GT(v.client.cx, 346);
    EXPECT_EQ(v.client.cy, 201);
    EXPECT_EQ(v.frame.left, 96) << "the frame grows away from the icon";
    ExpectAllWhole(v);
}

// Texts taller than their labels (a larger font): each label grows to hold its text, and stays within
// the frame or the window.
TEST(AboutLayout, TallerTextsGrowTheirLabels) {
    const AboutLayout tall = LayOutAbout(96, {{10, 30}, {10, 22}, {10, 22}, {10, 22}});
    const RECT client{0, 0, tall.client.cx, tall.client.cy};
    const std::tuple<RECT, long, RECT> rows[] = {{tall.title, 30, client}, {tall.version, 22, client},
                                                 {tall.credit, 22, InsideOf(tall.frame)},
                                                 {tall.url, 22, InsideOf(tall.frame)}};
    for (const auto& [label, height, within] : rows) {
        EXPECT_GE(label.bottom - label.top, height);
        EXPECT_GE(label.top, within.top);
        EXPECT_LE(label.bottom, within.bottom);
    }
}

}  // namespace
}  // namespace dromix
