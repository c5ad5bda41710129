// Where a content tree starts, and which references name level-of-detail files.
#pragma once

#include <string>

namespace zenthor {

// The part of `path`, with every '/' turned into '\', up to and including its last
// "\content\" folder (exact, case-sensitive); empty when there is none. The search is made
// in the normalised path, so "D:/game/content/a.model" and a Linux path find their root.
std::string ContentRootOf(const std::string& path);

// The path of a referenced mesh file relative to the content root: "meshes\" name ".mesh".
std::string ReferencedMeshPath(const std::string& name);

// True when a reference is a level-of-detail file: its relative path (ReferencedMeshPath)
// holds "_lod", case-sensitive. Only this part is tested, so a content tree stored below a
// folder such as "old_lods" does not lose every reference.
bool IsLevelOfDetailReference(const std::string& name);

}  // namespace zenthor
