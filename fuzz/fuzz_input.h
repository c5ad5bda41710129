// How one fuzz input becomes a small content tree held in memory.
//
// The input is split at every occurrence of kFileSeparator. The first piece is the picked
// model file, at kPickedPath. Each further piece is a mesh file: its bytes up to the first
// NUL are its name, the rest its contents, found at meshes\<name>.mesh below the content
// root, so references between the files resolve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_source.h"

namespace zenthor::fuzz {

inline constexpr std::string_view kFileSeparator = "ZMF!";
inline const std::string kContentRoot = "C:\\game\\content\\";
inline const std::string kPickedPath = kContentRoot + "models\\fuzz.model";

struct VirtualFile {
    std::string name;  // empty for the picked file
    std::vector<std::uint8_t> bytes;
};

std::vector<VirtualFile> SplitInput(std::span<const std::uint8_t> input);

// The inverse of SplitInput, for writing seeds.
std::vector<std::uint8_t> JoinInput(const std::vector<VirtualFile>& files);

// Adds the pieces to `files` at the paths described above.
void AddToSource(const std::vector<VirtualFile>& pieces, MemoryFiles& files);

}  // namespace zenthor::fuzz
