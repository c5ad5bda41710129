// A dialog drawn in character cells as its template lays it out: one cell is 4 dialog
// units wide and 8 high (a dialog unit is a quarter of the font's average character
// width and an eighth of its height), inside a frame whose top line carries the title
// and the close box.
#pragma once

#include <string>
#include <vector>

#include "platform/ui_backend.h"

namespace zenthor {

struct DialogScreen {
    std::vector<std::string> lines;  // all of the same width
    // The focused control's cells, drawn highlighted; row -1 when nothing has the focus.
    int focusRow = -1;
    int focusColumn = 0;
    int focusWidth = 0;
};

// Draws `dialog` with the control of id `focusId` focused (none when no control has it).
DialogScreen DrawDialog(const platform::DialogView& dialog, int focusId);

// The ids of the controls that Tab visits, in tab order: visible, enabled, with a tab stop.
std::vector<int> TabStops(const platform::DialogView& dialog);

}  // namespace zenthor
