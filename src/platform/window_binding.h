#pragma once
// The one way a window reaches the object that handles its messages. The object's address comes with
// the window's creation (CreateWindowExW's parameter, or DialogBoxParamW's), is kept with the window,
// and every message is handed to `Owner::HandleMessage`. No exception leaves a window procedure: one
// that reaches it is reported as fatal.
#include <windows.h>

#include "fatal_error.h"

namespace dromix {

// `Owner` derives from WindowBinding<Owner>, passes `this` when it creates its window and befriends
// the binding for its HandleMessage.
template <typename Owner>
class WindowBinding {
protected:
    // For a window of a class registered with it.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            Bind(window, GWLP_USERDATA, reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        }
        Owner* owner = Bound(window, GWLP_USERDATA);
        if (!owner) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {  // the last message: the object may outlive its window
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            owner->window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        try {
            return owner->HandleMessage(message, wParam, lParam);
        } catch (...) {
            ReportCurrentException();
        }
    }

    // For a dialog.
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) Bind(dialog, DWLP_USER, reinterpret_cast<void*>(lParam));
        Owner* owner = Bound(dialog, DWLP_USER);
        if (!owner) return FALSE;
        try {
            return owner->HandleMessage(message, wParam, lParam);
        } catch (...) {
            ReportCurrentException();
        }
    }

    // The window, from its creation until it is gone.
    HWND window_ = nullptr;

private:
    static void Bind(HWND window, int slot, void* object) {
        auto* owner = static_cast<Owner*>(object);
        owner->window_ = window;
        SetWindowLongPtrW(window, slot, reinterpret_cast<LONG_PTR>(owner));
    }
    static Owner* Bound(HWND window, int slot) {
        return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, slot));
    }
};

}  // namespace dromix
