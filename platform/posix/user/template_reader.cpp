#include "platform/posix/user/template_reader.h"

#include <strings.h>

#include <iterator>

#include "platform/posix/user/byte_cursor.h"
#include "platform/posix/user/text.h"

namespace platform::user {
namespace {

constexpr std::uint16_t kExtendedVersion = 1;
constexpr std::uint16_t kExtendedSignature = 0xFFFF;

// A number stands for a predefined class, a menu or a text id.
std::string NameText(const NameOrOrdinal& value) {
    if (value.isOrdinal) return "#" + std::to_string(value.ordinal);
    return Narrow(value.name);
}

ControlKind ButtonKind(DWORD style) {
    switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return ControlKind::PushButton;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return ControlKind::CheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return ControlKind::RadioButton;
        case BS_GROUPBOX:
            return ControlKind::GroupBox;
        default:
            return ControlKind::OtherButton;
    }
}

// The predefined classes, numbered from 0x80; the kind of a button is its style's.
constexpr std::uint16_t kFirstPredefinedClass = 0x80;
constexpr struct {
    const char* name;
    ControlKind kind;
} kPredefinedClasses[] = {
    {"Button", ControlKind::OtherButton},  {"Edit", ControlKind::Edit},
    {"Static", ControlKind::Static},       {"ListBox", ControlKind::ListBox},
    {"ScrollBar", ControlKind::ScrollBar}, {"ComboBox", ControlKind::ComboBox},
};

// The class's name and the control's kind. Class names are not case-sensitive; a
// predefined class keeps its own spelling however the template names it.
void Classify(const NameOrOrdinal& windowClass, DialogControl& control) {
    control.className = NameText(windowClass);
    control.kind = ControlKind::Custom;
    for (std::size_t i = 0; i < std::size(kPredefinedClasses); ++i) {
        if (windowClass.isOrdinal ? windowClass.ordinal == kFirstPredefinedClass + i
                                  : strcasecmp(control.className.c_str(), kPredefinedClasses[i].name) == 0) {
            control.className = kPredefinedClasses[i].name;
            control.kind = kPredefinedClasses[i].kind;
        }
    }
    if (control.kind == ControlKind::OtherButton) control.kind = ButtonKind(control.style);
}

bool ReadRect(ByteCursor& cursor, DialogUnitRect& rect) {
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    if (!cursor.ReadI16(x) || !cursor.ReadI16(y) || !cursor.ReadI16(cx) || !cursor.ReadI16(cy)) return false;
    rect = {x, y, cx, cy};
    return true;
}

bool ReadItem(ByteCursor& cursor, DialogControl& control) {
    std::uint32_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::uint16_t creationDataSize = 0;
    if (!cursor.AlignTo4() || !cursor.ReadU32(control.helpId) || !cursor.ReadU32(control.exStyle) ||
        !cursor.ReadU32(control.style) || !ReadRect(cursor, control.rect) || !cursor.ReadU32(id) ||
        !cursor.ReadNameOrOrdinal(windowClass) || !cursor.ReadNameOrOrdinal(title) ||
        !cursor.ReadU16(creationDataSize) || !cursor.Skip(creationDataSize)) {
        return false;
    }
    control.id = static_cast<int>(id);
    control.text = NameText(title);
    Classify(windowClass, control);
    return true;
}

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplateEx(std::span<const std::uint8_t> bytes) {
    ByteCursor cursor(bytes);
    DialogTemplate dialog;
    std::uint16_t version = 0, signature = 0, itemCount = 0;
    if (!cursor.ReadU16(version) || !cursor.ReadU16(signature) || version != kExtendedVersion ||
        signature != kExtendedSignature) {
        return std::nullopt;
    }
    NameOrOrdinal menu, windowClass;
    std::u16string title;
    if (!cursor.ReadU32(dialog.helpId) || !cursor.ReadU32(dialog.exStyle) || !cursor.ReadU32(dialog.style) ||
        !cursor.ReadU16(itemCount) || !ReadRect(cursor, dialog.rect) || !cursor.ReadNameOrOrdinal(menu) ||
        !cursor.ReadNameOrOrdinal(windowClass) || !cursor.ReadString(title)) {
        return std::nullopt;
    }
    dialog.menu = NameText(menu);
    dialog.windowClass = NameText(windowClass);
    dialog.title = Narrow(title);

    if (dialog.style & DS_SETFONT) {  // DS_SHELLFONT includes it
        DialogFont font;
        std::uint16_t pointSize = 0, weight = 0;
        std::uint8_t italic = 0, charset = 0;
        std::u16string face;
        if (!cursor.ReadU16(pointSize) || !cursor.ReadU16(weight) || !cursor.ReadU8(italic) ||
            !cursor.ReadU8(charset) || !cursor.ReadString(face)) {
            return std::nullopt;
        }
        font.pointSize = pointSize;
        font.weight = weight;
        font.italic = italic != 0;
        font.charset = charset;
        font.face = Narrow(face);
        dialog.font = font;
    }

    // Each item takes at least 30 bytes, so a count that the data cannot back fails
    // here, before anything is reserved for it.
    if (itemCount > cursor.Remaining() / 30) return std::nullopt;
    dialog.controls.resize(itemCount);
    for (DialogControl& control : dialog.controls) {
        if (!ReadItem(cursor, control)) return std::nullopt;
    }
    return dialog;
}

}  // namespace platform::user
