#include "plugin/settings_dialog.h"

#include "host/center_window.h"
#include "import/include_lods_setting.h"
#include "plugin/resource.h"

INT_PTR CALLBACK ImportSettingsDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CenterWindow(hWnd, GetParent(hWnd));
            // The template leaves the box blank, but the setting may hold a click from an
            // earlier import: show the value that this import will use.
            SendMessageA(GetDlgItem(hWnd, IDC_INCLUDE_LODS), BM_SETCHECK,
                         includeLodsSetting ? BST_CHECKED : BST_UNCHECKED, 0);
            return TRUE;  // the focus goes to the first tab stop, the box

        case WM_CLOSE:
            EndDialog(hWnd, 0);
            return TRUE;

        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_INCLUDE_LODS:
                    // An automatic check box has already toggled its mark when the command arrives.
                    includeLodsSetting =
                        SendMessageA(GetDlgItem(hWnd, IDC_INCLUDE_LODS), BM_GETCHECK, 0, 0) != 0;
                    return FALSE;
                case IDC_LETS_GO:
                    EndDialog(hWnd, 1);
                    return TRUE;
                default:
                    // IDOK and IDCANCEL from Enter and Escape among them: the dialog stays open.
                    return FALSE;
            }

        default:
            return FALSE;
    }
}
