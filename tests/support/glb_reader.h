// The two chunks of a .glb file, for tests that look inside what zenthor writes. Needs
// nlohmann_json.
#pragma once

#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

namespace zenthor::test {

struct Glb {
    nlohmann::json json;  // discarded when the file holds no readable JSON chunk
    std::vector<std::uint8_t> bin;
};

inline Glb ReadGlb(std::string_view file) {
    Glb glb;
    std::uint32_t jsonLength = 0;
    if (file.size() < 20) return {nlohmann::json::value_t::discarded, {}};
    std::memcpy(&jsonLength, file.data() + 12, 4);
    glb.json = nlohmann::json::parse(file.substr(20, jsonLength), nullptr, false);
    if (file.size() > 28 + std::size_t{jsonLength})
        glb.bin.assign(file.begin() + 28 + jsonLength, file.end());
    return glb;
}

}  // namespace zenthor::test
