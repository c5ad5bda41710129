// Turns the whole loaded model into named scene objects.
#pragma once

#include <string>

class ImportInterface;

namespace zenthor {

class CZenthorModel;
class ImportLogger;

// One triangle object per model mesh, in model order: built by BuildMesh, named,
// placed at the identity transform, given its own material and added to the scene.
// A mesh whose triangle object the host cannot make is skipped. `logger`, when given,
// hears of every object not made, triangle dropped and texture not found. Always returns 1.
int BuildScene(const CZenthorModel& model, const std::string& contentRoot, ImportInterface* importInterface,
               ImportLogger* logger = nullptr);

// The scene object's name for a mesh: the part of its material name after the last
// backslash, or "object_NN" by mesh index when the material name has none.
std::string ObjectName(const std::string& materialName, int meshIndex);

}  // namespace zenthor
