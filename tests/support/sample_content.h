// The small sample content tree committed under samples/content/, made by code so that
// it can be regenerated and checked: a model with static and skinned meshes, texture
// aliases, an unknown chunk, a referenced mesh file, a level-of-detail mesh file and
// tiny placeholder textures.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor::test {

// Every file of the sample tree, by its path relative to the content folder ('/').
std::map<std::string, Bytes> SampleContentFiles();

// Writes the sample files below `contentFolder`.
void WriteSampleContent(const std::filesystem::path& contentFolder);

// A temporary content tree holding the sample files.
struct SampleTree : TempContentTree {
    SampleTree() { WriteSampleContent(Root()); }
};

}  // namespace zenthor::test
