// Places a dialog in the middle of its parent window, as the host's own dialogs are.
#pragma once

#include "host/host_api.h"
#include "platform/windows_api.h"

// Centres `dialog` over `parent`, or over the screen when `parent` is null or not a
// window, keeping it on the screen where it fits; its size does not change.
HOST_API void CenterWindow(HWND dialog, HWND parent);
