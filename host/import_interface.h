// The host interfaces through which an importer makes scene objects: the
// import interface handed to the import operation, the import node it
// creates, and the scene node behind an import node.
#pragma once

#include "host/host_api.h"
#include "host/matrix3.h"

class Mtl;
class TriObject;

class HOST_API SceneNode {
public:
    virtual ~SceneNode() = default;
    // The node's material; the scene takes the material and its maps.
    virtual void SetMaterial(Mtl* material) = 0;
};

class HOST_API ImportNode {
public:
    virtual ~ImportNode() = default;
    // The node's object; the scene takes it.
    virtual void AttachObject(TriObject* object) = 0;
    virtual void SetTransform(int time, Matrix3 tm) = 0;
    // The text is copied.
    virtual void SetName(const char* name) = 0;
    virtual SceneNode* GetSceneNode() = 0;
};

class HOST_API ImportInterface {
public:
    virtual ~ImportInterface() = default;
    // A new node, not yet in the scene; owned by the host either way.
    virtual ImportNode* CreateNode() = 0;
    // 1 when the node joins the scene, 0 when it cannot (null, unknown, or
    // already added).
    virtual int AddNodeToScene(ImportNode* node) = 0;
    virtual void RedrawViews() = 0;
};
