// The settings dialog answered from the command line, through the scripted UI backend:
// the option box is clicked when its mark differs from the wanted setting, then the push
// button is pressed. The backend finds the controls as a host would, by kind (the first
// automatic check box, the first push button), not by the plug-in's ids.
#pragma once

#include <iosfwd>
#include <optional>

#include "platform/scripted_ui_backend.h"

namespace zenthor {

// What a backend saw of the settings dialog by the time the import returned.
struct DialogReport {
    bool closed = false;        // it ended without being started (result 0)
    bool optionMarked = false;  // the mark of its check box when it ended
};

// The report of a dialog that ended with `result` in the state `dialog`.
DialogReport ReportOf(const platform::DialogView& dialog, INT_PTR result);

// Message boxes as `zenthor` shows them: the title, then the text, verbatim.
void PrintMessageBox(std::ostream& out, const platform::MessageBoxView& box);

class FlagUiBackend final : public platform::ScriptedUiBackend {
public:
    // `messages` receives each message box; null keeps them (MessageBoxes()) unprinted.
    FlagUiBackend(bool includeLods, std::ostream* messages);

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
