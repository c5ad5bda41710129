// The seed writers of the fuzz targets: `NAME_seeds FOLDER` writes each input that the
// target's Seeds() gives to FOLDER/seed-<its name>. Link seed_main.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zenthor::fuzz {

// The starting corpus of one target, by name.
std::map<std::string, std::vector<std::uint8_t>> Seeds();

}  // namespace zenthor::fuzz
