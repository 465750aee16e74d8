#include "log_box.h"

#include "wide_text.h"

namespace dromix {

void ShowLogChange(HWND box, const LogChange& change) {
    if (!change.removed.empty()) {
        const auto removed = static_cast<LPARAM>(Utf8ToWide(change.removed).size());
        SendMessageW(box, EM_SETSEL, 0, removed);
        SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    const int length = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Utf8ToWide(change.appended).c_str()));
    MoveCaretToEnd(box);
}

void MoveCaretToEnd(HWND box) {
    const int length = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

}  // namespace dromix
