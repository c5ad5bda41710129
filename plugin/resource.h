// Resource ids of the plug-in library, shared by ZenthorMeshImport.rc and the C++ code.
// Plain #defines only: the resource compiler's preprocessor reads this file too.
#pragma once

// String table.
#define IDS_LIB_DESCRIPTION 1
#define IDS_CATEGORY 2
#define IDS_CLASS_NAME 3
#define IDS_PARAMETERS 4
#define IDS_SPIN 5

// Import settings dialog and its controls.
#define IDD_IMPORT_SETTINGS 101
#define IDC_INCLUDE_LODS 1001
#define IDC_LETS_GO 1002

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
