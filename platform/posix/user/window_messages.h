// How controls turn clicks into messages to their dialog; SendMessageA, which delivers
// every message, is here too.
#pragma once

#include "platform/windows_api.h"

namespace platform::user {

// A click on a control, as the user's mouse or BM_CLICK makes it: a button takes the
// focus (an automatic check box first changes its mark) and tells its dialog with
// WM_COMMAND BN_CLICKED; a static control tells it only with SS_NOTIFY; a group box, a
// disabled control and any other control do nothing.
void ClickControl(HWND control);

}  // namespace platform::user
