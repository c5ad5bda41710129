#include "platform/posix/user/dialog_template.h"

#include "platform/posix/user/byte_cursor.h"
#include "platform/posix/user/text.h"

namespace platform::user {
namespace {

constexpr std::uint16_t kExtendedVersion = 1;
constexpr std::uint16_t kExtendedSignature = 0xFFFF;

// A number stands for a predefined class (the atoms 0x80 to 0x85), a menu or text id.
std::string NameText(const NameOrOrdinal& value) {
    if (value.isOrdinal) return "#" + std::to_string(value.ordinal);
    return Narrow(value.name);
}

std::string ClassName(const NameOrOrdinal& value) {
    static const char* const kPredefined[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    if (value.isOrdinal && value.ordinal >= 0x80 && value.ordinal <= 0x85)
        return kPredefined[value.ordinal - 0x80];
    return NameText(value);
}

bool ReadRect(ByteCursor& cursor, DialogUnitRect& rect) {
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    if (!cursor.ReadI16(x) || !cursor.ReadI16(y) || !cursor.ReadI16(cx) || !cursor.ReadI16(cy)) return false;
    rect = {x, y, cx, cy};
    return true;
}

bool ReadItem(ByteCursor& cursor, std::span<const std::uint8_t> bytes, DialogItemTemplate& item) {
    std::uint32_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::uint16_t extraCount = 0;
    if (!cursor.AlignTo4() || !cursor.ReadU32(item.helpId) || !cursor.ReadU32(item.exStyle) ||
        !cursor.ReadU32(item.style) || !ReadRect(cursor, item.rect) || !cursor.ReadU32(id) ||
        !cursor.ReadNameOrOrdinal(windowClass) || !cursor.ReadNameOrOrdinal(title) ||
        !cursor.ReadU16(extraCount)) {
        return false;
    }
    item.id = static_cast<int>(id);
    item.className = ClassName(windowClass);
    item.classAtom = windowClass.isOrdinal ? windowClass.ordinal : 0;
    item.text = title.isOrdinal ? NameText(title) : Narrow(title.name);
    std::size_t start = cursor.Position();
    if (!cursor.Skip(extraCount)) return false;
    item.creationData.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                             bytes.begin() + static_cast<std::ptrdiff_t>(cursor.Position()));
    return true;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplateEx(std::span<const std::uint8_t> bytes) {
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
        DialogFontView font;
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
    dialog.items.resize(itemCount);
    for (DialogItemTemplate& item : dialog.items) {
        if (!ReadItem(cursor, bytes, item)) return std::nullopt;
    }
    return dialog;
}

}  // namespace platform::user
