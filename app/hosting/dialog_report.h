// What zenthor's UI backends tell of the settings dialog and how they show message boxes,
// whether a person answers (at a terminal) or zenthor does (from the command line or a job).
#pragma once

#include <iosfwd>

#include "platform/ui_backend.h"

namespace zenthor {

// What a backend saw of the settings dialog by the time the import returned.
struct DialogReport {
    bool closed = false;        // it ended without being started (result 0)
    bool optionMarked = false;  // the mark of its check box when it ended
};

// The first control of `kind` in the dialog, or null: controls are found by kind, as a host
// would, not by the plug-in's ids.
const platform::ControlView* FirstControlOfKind(const platform::DialogView& dialog, platform::ControlKind kind);

// The report of a dialog that ended with `result` in the state `dialog`.
DialogReport ReportOf(const platform::DialogView& dialog, INT_PTR result);

// Message boxes as `zenthor` shows them: the title, then the text, verbatim.
void PrintMessageBox(std::ostream& out, const platform::MessageBoxView& box);

}  // namespace zenthor
