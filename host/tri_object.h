// The host's editable triangle-mesh object: one Mesh.
#pragma once

#include <functional>

#include "host/host_api.h"
#include "host/mesh.h"

class HOST_API TriObject {
public:
    TriObject();
    virtual ~TriObject();
    TriObject(const TriObject&) = delete;
    TriObject& operator=(const TriObject&) = delete;

    Mesh& GetMesh() { return m_mesh; }
    const Mesh& GetMesh() const { return m_mesh; }

private:
    Mesh m_mesh;
};

// A new, empty triangle object, or null when the host cannot make one.
// While a HostScene is current the scene owns the object; otherwise the
// caller does until it hands the object to a scene (see host/host_scene.h).
HOST_API TriObject* CreateNewTriObject();

// Test hook: from now on, CreateNewTriObject gives null for each call whose
// index (0 for the first call after this one) fail returns true for. An
// empty function makes every call succeed again.
HOST_API void SetTriObjectCreationFailures(std::function<bool(int callIndex)> fail);
