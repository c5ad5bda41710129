#include "app/dialog_answers.h"

#include <ostream>

namespace zenthor {
namespace {

// The first control of this kind, or null.
const platform::ControlView* FirstOfKind(const platform::DialogView& dialog, platform::ControlKind kind) {
    for (const platform::ControlView& control : dialog.controls) {
        if (control.kind == kind) {
            return &control;
        }
    }
    return nullptr;
}

}  // namespace

DialogReport ReportOf(const platform::DialogView& dialog, INT_PTR result) {
    DialogReport report;
    report.closed = result == 0;
    const platform::ControlView* box = FirstOfKind(dialog, platform::ControlKind::CheckBox);
    report.optionMarked = box != nullptr && box->check == BST_CHECKED;
    return report;
}

void PrintMessageBox(std::ostream& out, const platform::MessageBoxView& box) {
    out << box.title << "\n" << box.text << "\n";
    out.flush();
}

FlagUiBackend::FlagUiBackend(bool includeLods, std::ostream* messages)
    : m_includeLods(includeLods), m_messages(messages) {}

std::optional<platform::UiAction> FlagUiBackend::NextDialogAction(const platform::DialogView& dialog) {
    if (dialog.handle != m_planned) {
        m_planned = dialog.handle;
        const platform::ControlView* box = FirstOfKind(dialog, platform::ControlKind::CheckBox);
        if (box != nullptr && (box->check == BST_CHECKED) != m_includeLods) {
            Push(platform::UiAction::Click(box->id));
        }
        if (const platform::ControlView* button = FirstOfKind(dialog, platform::ControlKind::PushButton)) {
            Push(platform::UiAction::Click(button->id));
        }
    }
    return ScriptedUiBackend::NextDialogAction(dialog);
}

void FlagUiBackend::DialogEnded(const platform::DialogView& dialog, INT_PTR result) {
    m_planned = nullptr;  // a later dialog may get the same handle
    ScriptedUiBackend::DialogEnded(dialog, result);
}

int FlagUiBackend::ShowMessageBox(const platform::MessageBoxView& box) {
    if (m_messages != nullptr) {
        PrintMessageBox(*m_messages, box);
    }
    return ScriptedUiBackend::ShowMessageBox(box);
}

DialogReport FlagUiBackend::Report() const {
    if (EndedDialogs().empty()) {
        return {};
    }
    return ReportOf(EndedDialogs().back().view, EndedDialogs().back().result);
}

}  // namespace zenthor
