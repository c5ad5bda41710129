#include "app/hosting/answering_ui_backend.h"

namespace zenthor {

AnsweringUiBackend::AnsweringUiBackend(bool includeLods, std::ostream* messages)
    : m_includeLods(includeLods), m_messages(messages) {}

std::optional<platform::UiAction> AnsweringUiBackend::NextDialogAction(const platform::DialogView& dialog) {
    if (dialog.handle != m_planned) {
        m_planned = dialog.handle;
        const platform::ControlView* box = FirstControlOfKind(dialog, platform::ControlKind::CheckBox);
        if (box != nullptr && (box->check == BST_CHECKED) != m_includeLods) {
            Push(platform::UiAction::Click(box->id));
        }
        if (const platform::ControlView* button = FirstControlOfKind(dialog, platform::ControlKind::PushButton)) {
            Push(platform::UiAction::Click(button->id));
        }
    }
    return ScriptedUiBackend::NextDialogAction(dialog);
}

void AnsweringUiBackend::DialogEnded(const platform::DialogView& dialog, INT_PTR result) {
    m_planned = nullptr;  // a later dialog may get the same handle
    ScriptedUiBackend::DialogEnded(dialog, result);
}

int AnsweringUiBackend::ShowMessageBox(const platform::MessageBoxView& box) {
    if (m_messages != nullptr) {
        PrintMessageBox(*m_messages, box);
    }
    return ScriptedUiBackend::ShowMessageBox(box);
}

DialogReport AnsweringUiBackend::Report() const {
    if (EndedDialogs().empty()) {
        return {};
    }
    return ReportOf(EndedDialogs().back().view, EndedDialogs().back().result);
}

}  // namespace zenthor
