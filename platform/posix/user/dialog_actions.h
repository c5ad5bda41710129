// How user actions reach a dialog, shared by the dialog runner and BM_CLICK.
#pragma once

#include "platform/ui_backend.h"

namespace platform::user {

// A click on a control, as the user's mouse or BM_CLICK makes it.
void ClickControl(HWND control);

// One action of the UI backend on an open dialog.
void DeliverAction(HWND dialog, const UiAction& action);

}  // namespace platform::user
