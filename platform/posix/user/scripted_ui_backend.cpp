#include "platform/scripted_ui_backend.h"

#include <utility>

namespace platform {

ScriptedUiBackend::ScriptedUiBackend(std::vector<UiAction> actions)
    : m_actions(actions.begin(), actions.end()) {}

void ScriptedUiBackend::Push(UiAction action) {
    m_actions.push_back(action);
}

std::optional<UiAction> ScriptedUiBackend::NextDialogAction(const DialogView& dialog) {
    m_views.push_back(dialog);
    if (m_actions.empty()) return std::nullopt;
    UiAction action = m_actions.front();
    m_actions.pop_front();
    return action;
}

void ScriptedUiBackend::DialogEnded(const DialogView& dialog, INT_PTR result) {
    m_ended.push_back({dialog, result});
}

int ScriptedUiBackend::ShowMessageBox(const MessageBoxView& box) {
    m_messageBoxes.push_back(box);
    return m_messageBoxAnswer;
}

}  // namespace platform
