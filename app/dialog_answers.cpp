#include "app/dialog_answers.h"

#include <ostream>

namespace zenthor {
namespace {

constexpr WORD kButtonAtom = 0x80;

bool IsButton(const platform::ControlView& control) {
    return control.classAtom == kButtonAtom || control.className == "Button";
}

}  // namespace

DialogReport ReportOf(const platform::DialogView& dialog, INT_PTR result) {
    DialogReport report;
    report.closed = result == 0;
    for (const platform::ControlView& control : dialog.controls) {
        if (IsCheckBox(control)) {
            report.optionMarked = control.check == BST_CHECKED;
            break;
        }
    }
    return report;
}

void PrintMessageBox(std::ostream& out, const platform::MessageBoxView& box) {
    out << box.title << "\n" << box.text << "\n";
    out.flush();
}

bool IsCheckBox(const platform::ControlView& control) {
    const DWORD type = control.style & BS_TYPEMASK;
    return IsButton(control) &&
           (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE);
}

bool IsPushButton(const platform::ControlView& control) {
    const DWORD type = control.style & BS_TYPEMASK;
    return IsButton(control) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

FlagUiBackend::FlagUiBackend(bool includeLods, std::ostream* messages)
    : m_includeLods(includeLods), m_messages(messages) {}

std::optional<platform::UiAction> FlagUiBackend::NextDialogAction(const platform::DialogView& dialog) {
    if (dialog.handle != m_planned) {
        m_planned = dialog.handle;
        for (const platform::ControlView& control : dialog.controls) {
            if (IsCheckBox(control)) {
                if ((control.check == BST_CHECKED) != m_includeLods) {
                    Push(platform::UiAction::Click(control.id));
                }
                break;
            }
        }
        for (const platform::ControlView& control : dialog.controls) {
            if (IsPushButton(control)) {
                Push(platform::UiAction::Click(control.id));
                break;
            }
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
