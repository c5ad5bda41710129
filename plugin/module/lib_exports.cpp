// The six functions through which a host discovers what the library offers.
#include "platform/export.h"
#include "plugin/mesh_import_class_desc.h"
#include "plugin/resource.h"
#include "plugin/string_resources.h"

namespace {

// The host SDK version the library is built for.
constexpr DWORD kHostSdkVersion = 0x23281500;

}  // namespace

extern "C" {

PLATFORM_EXPORT const char* LibDescription() {
    return zenthor::GetString(IDS_LIB_DESCRIPTION);
}

PLATFORM_EXPORT int LibNumberClasses() {
    return 1;
}

PLATFORM_EXPORT ClassDesc* LibClassDesc(int index) {
    return index == 0 ? zenthor::GetMeshImportDesc() : nullptr;
}

PLATFORM_EXPORT DWORD LibVersion() {
    return kHostSdkVersion;
}

PLATFORM_EXPORT int LibInitialize() {
    return 1;
}

PLATFORM_EXPORT int LibShutdown() {
    return 1;
}

}  // extern "C"
