#include "host/center_window.h"

#include <algorithm>

namespace {

// Moves `start` (of length `length`) so the span lies inside [low, high) where it fits;
// a span longer than the range keeps its start at `low`.
LONG KeepInside(LONG start, LONG length, LONG low, LONG high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

void CenterWindow(HWND dialog, HWND parent) {
    RECT dialogRect{};
    if (!GetWindowRect(dialog, &dialogRect)) return;
    RECT screen{};
    GetWindowRect(GetDesktopWindow(), &screen);
    RECT around{};
    if (parent == nullptr || !GetWindowRect(parent, &around)) around = screen;

    LONG width = dialogRect.right - dialogRect.left;
    LONG height = dialogRect.bottom - dialogRect.top;
    LONG x = around.left + ((around.right - around.left) - width) / 2;
    LONG y = around.top + ((around.bottom - around.top) - height) / 2;
    x = KeepInside(x, width, screen.left, screen.right);
    y = KeepInside(y, height, screen.top, screen.bottom);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
