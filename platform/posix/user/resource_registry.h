// The registered resources of each module, parsed from its .res data.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/posix/user/byte_cursor.h"
#include "platform/windows_api.h"

namespace platform::user {

struct Resource {
    NameOrOrdinal type;
    NameOrOrdinal name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> data;
};

// The resources of a .res file in file order, or nothing when the data is malformed.
// The file's leading empty entry (type 0) is left out.
std::optional<std::vector<Resource>> ParseResFile(std::span<const std::uint8_t> bytes);

// A copy of the data of `module`'s resource of this type and name (numbers given as
// MAKEINTRESOURCEA or "#n", names case-insensitively), preferring language 1033, then
// the neutral language, then the first one listed; nothing when there is none.
std::optional<std::vector<std::uint8_t>> CopyResourceData(HINSTANCE module, LPCSTR type, LPCSTR name);

}  // namespace platform::user
