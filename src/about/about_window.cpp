#include "about_window.h"

#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "about_layout.h"
#include "dpi.h"
#include "fatal_error.h"
#include "handles.h"
#include "resource.h"
#include "version.h"
#include "window_binding.h"

namespace dromix {
namespace {

#define DROMIX_WIDEN2(text) L##text
#define DROMIX_WIDEN(text) DROMIX_WIDEN2(text)

constexpr wchar_t kVersionText[] = L"Version " DROMIX_WIDEN(DROMIX_VERSION_TEXT);
constexpr wchar_t kProductName[] = DROMIX_WIDEN(DROMIX_PRODUCT_NAME);
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

UniqueFont MakeFont(const wchar_t* face, int tenthsOfPoint, unsigned dpi, int weight, bool italic,
                    bool underline) {
    return UniqueFont(CreateFontW(FontHeight(tenthsOfPoint, dpi), 0, 0, 0, weight, italic, underline,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

class AboutWindow : WindowBinding<AboutWindow> {
public:
    AboutWindow(HINSTANCE instance, const AboutTexts& texts) : instance_(instance), texts_(texts) {}

    void ShowModal(HWND owner) {
        const INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUT), owner,
                                               &AboutWindow::DialogProc, reinterpret_cast<LPARAM>(this));
        if (result == -1) throw std::runtime_error("The About window cannot be opened");
    }

private:
    friend class WindowBinding<AboutWindow>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            Load();
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == url_) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, kLinkColour);
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == url_ && linkCursor_) {
                SetCursor(linkCursor_);
                SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_DPICHANGED: {
            const auto& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wParam));
            return TRUE;
        }
        default:
            return FALSE;
        }
    }

    // When the window is created: the controls, laid out at the window's DPI, and the window centred over its owner.
    void Load() {
        SetWindowTextW(window_, L"");
        // The labels show their texts as they are: an "&" in a credit or URL is no access key.
        title_ = AddControl(L"STATIC", kProductName, SS_CENTER | SS_NOPREFIX, IDC_ABOUT_TITLE);
        version_ = AddControl(L"STATIC", kVersionText, SS_CENTER | SS_NOPREFIX, IDC_ABOUT_VERSION);
        image_ = AddControl(L"STATIC", nullptr, SS_ICON | SS_REALSIZECONTROL | SS_CENTERIMAGE, IDC_ABOUT_IMAGE);
        frame_ = AddControl(L"BUTTON", L"", BS_GROUPBOX, IDC_ABOUT_FRAME);
        credit_ = AddControl(L"STATIC", texts_.credit.c_str(), SS_CENTER | SS_NOPREFIX, IDC_ABOUT_CREDIT);
        const std::wstring url(texts_.url.begin(), texts_.url.end());
        url_ = AddControl(L"STATIC", url.c_str(), SS_CENTER | SS_NOPREFIX | SS_NOTIFY, IDC_ABOUT_URL);
        ok_ = AddControl(L"BUTTON", L"Ok", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
        linkCursor_ = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_LINK));
        Layout(WindowDpi(window_));
        Centre();
        SetFocus(ok_);
    }

    HWND AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        const HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                             nullptr);
        if (!control) throw std::runtime_error("The About window's controls cannot be created");
        return control;
    }

    void Place(HWND control, const RECT& r) {
        MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }

    void Layout(unsigned dpi) {
        // New fonts go in before the old ones are released, so no control ever holds a deleted font.
        UniqueFont title = MakeFont(L"MS Sans Serif", 120, dpi, FW_BOLD, false, false);
        UniqueFont text = MakeFont(L"MS Shell Dlg", 80, dpi, FW_NORMAL, false, false);
        UniqueFont credit = MakeFont(L"Arial", 120, dpi, FW_BOLD, true, false);
        UniqueFont url = MakeFont(L"Arial", 98, dpi, FW_NORMAL, false, true);  // 9.75 points, to a tenth
        SetFont(title_, title);
        SetFont(version_, text);
        SetFont(ok_, text);
        SetFont(credit_, credit);
        SetFont(url_, url);
        titleFont_ = std::move(title);
        textFont_ = std::move(text);
        creditFont_ = std::move(credit);
        urlFont_ = std::move(url);

        const AboutLayout layout = LayOutAbout(dpi, {TextSize(title_), TextSize(version_), TextSize(credit_),
                                                     TextSize(url_)});
        SetClientSize(window_, layout.client.cx, layout.client.cy, dpi);
        Place(title_, layout.title);
        Place(version_, layout.version);
        Place(frame_, layout.frame);
        Place(credit_, layout.credit);
        Place(url_, layout.url);
        Place(ok_, layout.ok);
        Place(image_, layout.image);
        // The icon drawn at the box's size, from its largest image.
        UniqueIcon icon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                      layout.image.right - layout.image.left,
                                                      layout.image.bottom - layout.image.top, LR_DEFAULTCOLOR)));
        SendMessageW(image_, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
        imageIcon_ = std::move(icon);
        InvalidateRect(window_, nullptr, TRUE);
    }

    static void SetFont(HWND control, const UniqueFont& font) {
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }

    // The room the label's text takes on one line, drawn in the label's own font on its own device
    // context: its advance plus whatever the first and last glyphs reach beyond it (italics lean out).
    static SIZE TextSize(HWND label) {
        const int length = GetWindowTextLengthW(label);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), length + 1)));
        SIZE extent{};
        const WindowDc labelDc(label);
        if (!labelDc) return extent;
        const HDC dc = labelDc.get();
        const SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        ABC first{}, last{};
        if (!text.empty() && GetCharABCWidthsW(dc, text.front(), text.front(), &first) &&
            GetCharABCWidthsW(dc, text.back(), text.back(), &last)) {
            extent.cx += std::max(0, -first.abcA) + std::max(0, -last.abcC);
        }
        return extent;
    }

    void Centre() {
        RECT owner{}, self{};
        const HWND parent = GetWindow(window_, GW_OWNER);
        if (!parent || !GetWindowRect(parent, &owner) || !GetWindowRect(window_, &self)) return;
        const POINT at = CentreOver(owner, {self.right - self.left, self.bottom - self.top});
        SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void OnCommand(int id, int code) {
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(window_, id);
        } else if (id == IDC_ABOUT_URL && code == STN_CLICKED) {
            // The default browser opens the author's site; the window stays open.
            ShellExecuteA(nullptr, nullptr, texts_.url.c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
        }
    }

    HINSTANCE instance_;
    const AboutTexts& texts_;
    HWND title_ = nullptr, version_ = nullptr, image_ = nullptr, frame_ = nullptr;
    HWND credit_ = nullptr, url_ = nullptr, ok_ = nullptr;
    HCURSOR linkCursor_ = nullptr;  // a resource cursor: the system owns it
    UniqueFont titleFont_, textFont_, creditFont_, urlFont_;
    UniqueIcon imageIcon_;
};

}  // namespace

POINT CentreOver(const RECT& owner, SIZE size) {
    const long ownerWidth = owner.right - owner.left;
    const long ownerHeight = owner.bottom - owner.top;
    return {owner.left + (ownerWidth - size.cx) / 2, owner.top + (ownerHeight - size.cy) / 2};
}

void ShowAboutWindow(HINSTANCE instance, HWND owner, const AboutTexts& texts) {
    AboutWindow about(instance, texts);
    about.ShowModal(owner);
}

}  // namespace dromix
