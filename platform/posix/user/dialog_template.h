// The extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), read
// from a dialog resource.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui_backend.h"

namespace platform::user {

struct DialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    DialogUnitRect rect;
    int id = 0;
    std::string className;
    WORD classAtom = 0;
    std::string text;
    std::vector<std::uint8_t> creationData;
};

struct DialogTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    DialogUnitRect rect;
    std::string menu;
    std::string windowClass;
    std::string title;
    std::optional<DialogFontView> font;
    std::vector<DialogItemTemplate> items;
};

// The template, or nothing when the data is not a well-formed extended template
// (version 1, signature 0xFFFF) that lies wholly inside `bytes`. The older plain form
// is not read: no resource of ours uses it.
std::optional<DialogTemplate> ParseDialogTemplateEx(std::span<const std::uint8_t> bytes);

}  // namespace platform::user
