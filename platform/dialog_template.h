// What a dialog template says: the dialog itself and each of its controls, with the kind
// of control that its class and style make it. The POSIX dialog calls read templates into
// these records, keep them with the dialog's windows and show them to the UI backend
// (ui_backend.h), so the template reader, the windows and every backend speak of
// controls in the same terms. POSIX only.
#pragma once

#include <optional>
#include <string>

#include "platform/windows_api.h"

namespace platform {

// A position and size in dialog units, as a dialog template gives them.
struct DialogUnitRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    friend bool operator==(const DialogUnitRect&, const DialogUnitRect&) = default;
};

struct DialogFont {
    int pointSize = 0;
    int weight = 0;
    bool italic = false;
    int charset = 0;
    std::string face;
};

// What a control is, as its class and style make it.
enum class ControlKind {
    PushButton,   // "Button", BS_PUSHBUTTON or BS_DEFPUSHBUTTON
    CheckBox,     // "Button", BS_CHECKBOX, BS_AUTOCHECKBOX, BS_3STATE or BS_AUTO3STATE
    RadioButton,  // "Button", BS_RADIOBUTTON or BS_AUTORADIOBUTTON
    GroupBox,     // "Button", BS_GROUPBOX
    OtherButton,  // "Button" of any other style (owner-drawn and the like)
    Static,
    Edit,
    ListBox,
    ScrollBar,
    ComboBox,
    Custom,  // a class of the template's own naming
};

// The kinds of the Button class: each answers the button messages, and all but a group
// box tell their dialog when they are clicked.
constexpr bool IsButton(ControlKind kind) {
    return kind <= ControlKind::OtherButton;
}

// One control as its template gives it.
struct DialogControl {
    // "Button", "Edit", "Static", "ListBox", "ScrollBar" or "ComboBox" for the predefined
    // classes, however the template names them (by number or in any case); otherwise the
    // template's class name ("#n" for a number of no predefined class).
    std::string className;
    ControlKind kind = ControlKind::Custom;
    std::string text;
    int id = 0;  // -1 for the template's "no id" (IDC_STATIC)
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    DialogUnitRect rect;  // relative to the dialog's client area
};

// A control that Tab visits: visible, enabled and with a tab stop.
constexpr bool IsTabStop(const DialogControl& control) {
    return (control.style & WS_TABSTOP) && (control.style & WS_VISIBLE) && !(control.style & WS_DISABLED);
}

// The dialog itself as its template gives it.
struct DialogHeader {
    std::string title;
    std::string menu;         // empty: none; "#n" for a menu given by number
    std::string windowClass;  // empty: the standard dialog class
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD helpId = 0;
    DialogUnitRect rect;  // the template's position and size
    std::optional<DialogFont> font;
};

}  // namespace platform
