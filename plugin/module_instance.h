// The plug-in module's instance handle, kept at load for the string table and
// the settings dialog's template.
#pragma once

#include "platform/windows_api.h"

namespace zenthor {

// Null until the library's entry function stores it at load.
extern HINSTANCE hInstance;

}  // namespace zenthor
