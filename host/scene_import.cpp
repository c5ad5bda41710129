#include "host/scene_import.h"

SceneImport::SceneImport() = default;
SceneImport::~SceneImport() = default;

int SceneImport::ZoomExtents() {
    return -1;
}
