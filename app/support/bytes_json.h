// Bytes in JSON, whose strings are UTF-8 text: paths and names are bytes, and any of them
// must go out and come back whole without a JSON writer failing on it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace zenthor {

// Valid UTF-8 as a string; anything else as {"hex": "<two lowercase digits a byte>"}.
nlohmann::json BytesJson(std::string_view bytes);

// The bytes of a value that BytesJson wrote; nullopt for any other value.
std::optional<std::string> BytesFromJson(const nlohmann::json& value);

}  // namespace zenthor
