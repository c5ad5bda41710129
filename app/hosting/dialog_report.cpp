#include "app/hosting/dialog_report.h"

#include <ostream>

namespace zenthor {

const platform::ControlView* FirstControlOfKind(const platform::DialogView& dialog, platform::ControlKind kind) {
    for (const platform::ControlView& control : dialog.controls) {
        if (control.kind == kind) {
            return &control;
        }
    }
    return nullptr;
}

DialogReport ReportOf(const platform::DialogView& dialog, INT_PTR result) {
    DialogReport report;
    report.closed = result == 0;
    const platform::ControlView* box = FirstControlOfKind(dialog, platform::ControlKind::CheckBox);
    report.optionMarked = box != nullptr && box->check == BST_CHECKED;
    return report;
}

void PrintMessageBox(std::ostream& out, const platform::MessageBoxView& box) {
    out << box.title << "\n" << box.text << "\n";
    out.flush();
}

}  // namespace zenthor
