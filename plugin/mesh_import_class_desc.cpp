#include "plugin/mesh_import_class_desc.h"

#include <new>

#include "plugin/mesh_import.h"
#include "plugin/module_instance.h"
#include "plugin/resource.h"
#include "plugin/string_resources.h"

namespace zenthor {

int MeshImportClassDesc::IsPublic() {
    return 1;
}

// Handed over as the SceneImport that the super-class id promises; null when
// the host heap has nothing.
void* MeshImportClassDesc::Create(BOOL) {
    return static_cast<SceneImport*>(new (std::nothrow) MeshImport());
}

const char* MeshImportClassDesc::ClassName() {
    return GetString(IDS_CLASS_NAME);
}

SuperClassId MeshImportClassDesc::SuperClassID() {
    return kSceneImportClassId;
}

ClassId MeshImportClassDesc::ClassID() {
    return ClassId(kMeshImportClassIdA, kMeshImportClassIdB);
}

const char* MeshImportClassDesc::Category() {
    return GetString(IDS_CATEGORY);
}

// Fixed, not from the string table: hosts identify the class by it even when
// the table cannot be read.
const char* MeshImportClassDesc::InternalName() {
    return "MeshImport";
}

HINSTANCE MeshImportClassDesc::HInstance() {
    return hInstance;
}

MeshImportClassDesc* GetMeshImportDesc() {
    static MeshImportClassDesc descriptor;
    return &descriptor;
}

}  // namespace zenthor
