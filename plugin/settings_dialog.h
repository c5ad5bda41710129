// The import settings dialog (template IDD_IMPORT_SETTINGS): a usage warning, the
// "Include lods" box and the "Lets GO !" button.
#pragma once

#include "platform/windows_api.h"

// The dialog procedure. "Lets GO !" ends the dialog with 1 and the caption's close
// button with 0; each click on the box stores its new mark in includeLodsSetting at
// once. The box opens showing includeLodsSetting. Enter and Escape do nothing.
INT_PTR CALLBACK ImportSettingsDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
