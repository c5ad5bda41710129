// The one class descriptor through which the host lists and creates the
// importer.
#pragma once

#include "host/class_desc2.h"

namespace zenthor {

// Class identity of the importer.
inline constexpr DWORD kMeshImportClassIdA = 0xB9323550;
inline constexpr DWORD kMeshImportClassIdB = 0x5EBF9454;

class MeshImportClassDesc : public ClassDesc2 {
public:
    int IsPublic() override;
    void* Create(BOOL loading) override;
    const char* ClassName() override;
    SuperClassId SuperClassID() override;
    ClassId ClassID() override;
    const char* Category() override;
    const char* InternalName() override;
    HINSTANCE HInstance() override;
};

// The one descriptor, made on the first call and destroyed when the library
// unloads.
MeshImportClassDesc* GetMeshImportDesc();

}  // namespace zenthor
