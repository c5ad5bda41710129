// The extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), read
// from a dialog resource.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/dialog_template.h"

namespace platform::user {

struct DialogTemplate : DialogHeader {
    std::vector<DialogControl> controls;
};

// The template, or nothing when the data is not a well-formed extended template
// (version 1, signature 0xFFFF) that lies wholly inside `bytes`. The older plain form
// is not read: no resource of ours uses it.
std::optional<DialogTemplate> ReadDialogTemplateEx(std::span<const std::uint8_t> bytes);

}  // namespace platform::user
