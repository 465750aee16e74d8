#pragma once
// The activity log's box: a read-only, multi-line edit control on the main window, green bold
// Terminal on black at the window's DPI. It shows the log by applying each of its changes and keeps
// the caret at the end, so that the last line is in view.
#include <windows.h>

#include "activity_log.h"
#include "dpi.h"
#include "handles.h"

namespace dromix {

class LogBox {
public:
    LogBox(HWND parent, HINSTANCE instance, int id);
    LogBox(const LogBox&) = delete;
    LogBox& operator=(const LogBox&) = delete;

    // Places the box at `box` and sets its font, both at `dpi`.
    void Layout(const TwipsBox& box, unsigned dpi);

    // Cuts what the trim removed from the start of the box and appends the new text: replacing the
    // whole text for every line costs many times more, above all while the window is hidden.
    void Show(const LogChange& change);

    // Changes shown while a Batch lives are drawn once, when the outermost one ends (Show makes its
    // own). The edit control redraws its scroll bar at every change, whatever its own WM_SETREDRAW
    // says; under Wine each of those draws costs milliseconds, and a line takes several.
    class Batch {
    public:
        explicit Batch(LogBox& box);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        LogBox& owner_;
    };

    // The caret at the very end, which scrolls the box to its last line.
    void MoveCaretToEnd();

    // For the parent's WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC (a read-only box asks with the latter):
    // the box's colours set on `dc` and its background brush, or null when `control` is another one.
    HBRUSH Colours(HWND control, HDC dc) const;

private:
    SCROLLINFO ScrollBar() const;

    UniqueFont font_;  // declared first: the box goes before its font
    UniqueWindow box_;
    int batches_ = 0;
    bool undrawn_ = false;  // drawing is off until the outermost batch ends
    SCROLLINFO scrollBefore_{};  // the scroll bar as it was drawn last
};

}  // namespace dromix
