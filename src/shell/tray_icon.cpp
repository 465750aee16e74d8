#include "tray_icon.h"

#include <algorithm>
#include <cstring>

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

void TrayIcon::Fill(HWND window, HICON icon, std::string_view caption) {
    record_ = MakeTrayRecord(window, icon, caption);
}

bool TrayIcon::Add() {
    // A second NIM_ADD with the same ID fails, so an icon still there is removed first.
    if (added_) Delete();
    added_ = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    return added_;
}

void TrayIcon::Delete() {
    Shell_NotifyIconA(NIM_DELETE, &record_);
    added_ = false;
}

}  // namespace dromix
