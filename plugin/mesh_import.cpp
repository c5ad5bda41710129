#include "plugin/mesh_import.h"

#include "host/host_interface.h"
#include "import/import_driver.h"
#include "plugin/module_instance.h"
#include "plugin/settings_dialog.h"

namespace zenthor {
namespace {

constexpr const char* kExtensions[] = {"model", "mesh"};

}  // namespace

int MeshImport::ExtCount() {
    return 2;
}

// Hosts ask only for indices below ExtCount; anything else gets the empty text
// rather than a read outside the table.
const char* MeshImport::Ext(int n) {
    return n == 0 || n == 1 ? kExtensions[n] : "";
}

const char* MeshImport::LongDesc() {
    return "Zenthor Model File";
}

const char* MeshImport::ShortDesc() {
    return "Zenthor Model";
}

const char* MeshImport::AuthorName() {
    return "Brindle";
}

const char* MeshImport::CopyrightMessage() {
    return "Copyright (c) Brindle";
}

const char* MeshImport::OtherMessage1() {
    return "";
}

const char* MeshImport::OtherMessage2() {
    return "";
}

unsigned int MeshImport::Version() {
    return 110;
}

void MeshImport::ShowAbout(HWND) {}

int MeshImport::DoImport(const char* name, ImportInterface* importInterface, HostInterface* host, BOOL) {
    return RunImport(name, importInterface, host != nullptr ? host->Log() : nullptr, hInstance,
                     ImportSettingsDlgProc);
}

}  // namespace zenthor
