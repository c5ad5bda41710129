// One import, from the host's call to the summary.
#pragma once

#include "platform/windows_api.h"

class ImportInterface;
class LogSys;

namespace zenthor {

// Runs the settings dialog (template 101 of `module`, with `settingsDialog` as
// its procedure), loads the file with the chosen level-of-detail setting,
// builds the scene through `importInterface`, redraws, and shows the summary; what
// the import reads and leaves out goes to the host's `log` (null: nowhere). 1
// on success and when the dialog was closed without starting; 0 when nothing
// could be loaded. An exception from loading or building never reaches the
// host: the import then gives 0.
int RunImport(const char* fileName, ImportInterface* importInterface, LogSys* log, HINSTANCE module,
              DLGPROC settingsDialog);

}  // namespace zenthor
