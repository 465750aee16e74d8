#include "log_box.h"

#include <stdexcept>

#include "wide_text.h"

namespace dromix {
namespace {

constexpr COLORREF kTextColour = RGB(0, 255, 0);
constexpr COLORREF kBackColour = RGB(0, 0, 0);
constexpr int kFontTenthsOfPoint = 60;

}  // namespace

LogBox::LogBox(HWND parent, HINSTANCE instance, int id) {
    constexpr DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    box_.reset(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr));
    if (!box_) throw std::runtime_error("The log box cannot be created");
    // The trimmed log can still outgrow the box's default 32 K characters when its lines are long.
    SendMessageW(box_.get(), EM_SETLIMITTEXT, 0, 0);
}

void LogBox::Layout(const TwipsBox& box, unsigned dpi) {
    const RECT at = BoxToPixels(box, dpi);
    MoveWindow(box_.get(), at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    UniqueFont font(CreateFontW(FontHeight(kFontTenthsOfPoint, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                OEM_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, L"Terminal"));
    if (font) {
        SendMessageW(box_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        font_ = std::move(font);  // the old font is released only once the box no longer uses it
    }
}

void LogBox::Show(const LogChange& change) {
    const Batch batch(*this);
    if (!undrawn_) {
        DefWindowProcW(box_.get(), WM_SETREDRAW, FALSE, 0);
        undrawn_ = true;
        scrollBefore_ = ScrollBar();
    }
    if (!change.removed.empty()) {
        const auto removed = static_cast<LPARAM>(Utf8ToWide(change.removed).size());
        SendMessageW(box_.get(), EM_SETSEL, 0, removed);
        SendMessageW(box_.get(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    const int length = GetWindowTextLengthW(box_.get());
    SendMessageW(box_.get(), EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box_.get(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Utf8ToWide(change.appended).c_str()));
    MoveCaretToEnd();
}

void LogBox::MoveCaretToEnd() {
    const int length = GetWindowTextLengthW(box_.get());
    SendMessageW(box_.get(), EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box_.get(), EM_SCROLLCARET, 0, 0);
}

// At the first change the default handling of WM_SETREDRAW, which the edit control's own one
// bypasses, stops all drawing of the box; once the batch ends the box, frame and scroll bar included,
// is drawn once. A batch without changes draws nothing.
LogBox::Batch::Batch(LogBox& box) : owner_(box) { ++owner_.batches_; }

LogBox::Batch::~Batch() {
    if (--owner_.batches_ > 0 || !owner_.undrawn_) return;
    owner_.undrawn_ = false;
    DefWindowProcW(owner_.box_.get(), WM_SETREDRAW, TRUE, 0);
    // The scroll bar is drawn again only when it changed: once the log is full, its thumb stays put.
    const SCROLLINFO now = owner_.ScrollBar();
    const SCROLLINFO& before = owner_.scrollBefore_;
    const bool moved = now.nMin != before.nMin || now.nMax != before.nMax || now.nPage != before.nPage ||
                       now.nPos != before.nPos;
    RedrawWindow(owner_.box_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | (moved ? RDW_FRAME : 0));
}

SCROLLINFO LogBox::ScrollBar() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(box_.get(), SB_VERT, &info);
    return info;
}

HBRUSH LogBox::Colours(HWND control, HDC dc) const {
    if (control != box_.get()) return nullptr;
    SetTextColor(dc, kTextColour);
    SetBkColor(dc, kBackColour);
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

}  // namespace dromix
