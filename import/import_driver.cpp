#include "import/import_driver.h"

#include <cstdint>
#include <string>

#include "host/import_interface.h"
#include "import/import_job.h"
#include "import/import_summary.h"
#include "import/include_lods_setting.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

constexpr WORD kImportSettingsDialogId = 101;
constexpr INT_PTR kDialogClosed = 0;

// Summed in 64 bits: the meshes of one model may hold more than 2^31 triangles
// in all.
std::int64_t PolygonTotal(ImportJob& job) {
    std::int64_t total = 0;
    const int objectCount = job.GetObjectCount();
    for (int index = 0; index < objectCount; ++index) {
        total += job.GetPolygonCount(index);
    }
    return total;
}

int ImportAfterDialog(const char* fileName, ImportInterface* importInterface, LogSys* log) {
    // References and textures are looked up folder by folder; a folder is listed once.
    const platform::ListingMemo listings;
    ImportJob job(log);
    if (!job.LoadModel(std::string(fileName), includeLodsSetting)) {
        return 0;
    }
    job.BuildScene(importInterface);
    importInterface->RedrawViews();

    const std::string summary = FormatImportSummary(job.GetObjectCount(), PolygonTotal(job));
    MessageBoxA(nullptr, summary.c_str(), kImportSummaryTitle, MB_OK | MB_ICONINFORMATION);
    return 1;
}

}  // namespace

int RunImport(const char* fileName, ImportInterface* importInterface, LogSys* log, HINSTANCE module,
              DLGPROC settingsDialog) {
    // No exception crosses into the host: whatever fails on the way (an allocation,
    // say) ends the import with 0, the job having been released as the exception left.
    try {
        const HWND parent = GetActiveWindow();
        const INT_PTR choice = platform::IsolationAwareDialogBoxParamA(
            module, MAKEINTRESOURCEA(kImportSettingsDialogId), parent, settingsDialog, 0);
        if (choice == kDialogClosed) {
            return 1;
        }
        // The dialog may also fail to appear (-1); the import then runs with the setting as it is.
        return ImportAfterDialog(fileName, importInterface, log);
    } catch (...) {
        return 0;
    }
}

}  // namespace zenthor
