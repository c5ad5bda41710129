// The settings dialog answered for the user, from the command line's --include-lods or a
// worker's job, through the scripted UI backend: the option box is clicked when its mark
// differs from the wanted setting, then the push button is pressed. The controls are found
// as a host would find them, by kind (the first automatic check box, the first push
// button), not by the plug-in's ids.
#pragma once

#include <iosfwd>
#include <optional>

#include "app/hosting/dialog_report.h"
#include "platform/scripted_ui_backend.h"

namespace zenthor {

class AnsweringUiBackend final : public platform::ScriptedUiBackend {
public:
    // `messages` receives each message box; null keeps them (MessageBoxes()) unprinted.
    AnsweringUiBackend(bool includeLods, std::ostream* messages);

    std::optional<platform::UiAction> NextDialogAction(const platform::DialogView& dialog) override;
    void DialogEnded(const platform::DialogView& dialog, INT_PTR result) override;
    int ShowMessageBox(const platform::MessageBoxView& box) override;

    // The last dialog that ended; a default report when none has.
    DialogReport Report() const;

private:
    bool m_includeLods;
    std::ostream* m_messages;
    HWND m_planned = nullptr;  // the dialog whose answers are in the script
};

}  // namespace zenthor
