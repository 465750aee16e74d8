#include "tray_icon.h"

#include <algorithm>
#include <cstring>

#include "dpi.h"

namespace dromix {

// The 32-bit program passes exactly the 88-byte record the shell has always accepted.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

NOTIFYICONDATAA MakeTrayRecord(HWND window, HICON icon, std::string_view caption) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = kTrayFlags;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    static_assert(sizeof record.szTip >= kTrayTipSize);
    std::fill_n(record.szTip, kTrayTipSize, ' ');
    // The caption and its NUL always fit: at most 63 characters of it are kept.
    const std::size_t length = std::min(caption.size(), kTrayTipSize - 1);
    std::memcpy(record.szTip, caption.data(), length);
    record.szTip[length] = '\0';
    return record;
}

TrayIcon::TrayIcon(HWND window, HINSTANCE instance, int iconId, std::string_view caption, ShellNotify notify)
    : instance_(instance), iconId_(iconId), notify_(notify),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    LoadIconAt(WindowDpi(window));
    record_ = MakeTrayRecord(window, icon_.get(), caption);
}

TrayIcon::~TrayIcon() { Delete(); }

bool TrayIcon::Add() {
    // A second NIM_ADD with the same ID fails, so an icon still there is removed first.
    if (added_) Delete();
    added_ = notify_(NIM_ADD, &record_) != FALSE;
    return added_;
}

void TrayIcon::Delete() {
    if (!added_) return;
    notify_(NIM_DELETE, &record_);
    added_ = false;
}

TrayEvent TrayIcon::OnMessage(UINT message, LPARAM lParam) {
    if (message == taskbarCreated_) {
        // The restarted shell has lost the icon.
        if (!added_) return TrayEvent::Handled;
        return Add() ? TrayEvent::Handled : TrayEvent::Lost;
    }
    // Real pointer movement over the window arrives as the same message, but only while the window is
    // on screen, when the icon is not shown; so a pointer whose X passes 515 on a high-DPI screen never
    // counts as a click on the icon.
    if (message != kTrayCallbackMessage || !added_) return TrayEvent::NotForTheIcon;
    switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK: return TrayEvent::Restore;
    case WM_RBUTTONDOWN: return TrayEvent::OpenPopup;
    default: return TrayEvent::Handled;
    }
}

void TrayIcon::OnDpiChanged(unsigned dpi) {
    LoadIconAt(dpi);
    record_.hIcon = icon_.get();
    if (added_) notify_(NIM_MODIFY, &record_);
}

// The small icon's size scales with the DPI: 16 pixels at 96.
void TrayIcon::LoadIconAt(unsigned dpi) {
    const int size = MulDiv(16, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
    // Loaded before the old one goes, so the record never names a destroyed icon.
    UniqueIcon icon(static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (icon) icon_ = std::move(icon);
}

}  // namespace dromix
