#pragma once
// The activity log's edit box: how a change of the log's text reaches it.
#include <windows.h>

#include "activity_log.h"

namespace dromix {

// Cuts what the trim removed from the start of the box and appends the new text: replacing the
// whole text for every line costs many times more, above all while the window is hidden.
void ShowLogChange(HWND box, const LogChange& change);

// The caret at the very end, which scrolls the box to its last line.
void MoveCaretToEnd(HWND box);

}  // namespace dromix
