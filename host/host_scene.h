// The host application's scene and its implementation of the import
// interface: the objects an importer makes end up here, to be walked after
// the import.
//
// Ownership. A HostScene owns every node it creates, and every TriObject,
// material and texture map that is
//  - made by CreateNewTriObject, NewDefaultStdMat or NewDefaultBitmapTex
//    while the scene is current (the most recently constructed HostScene
//    still alive), whether or not it is ever handed to a node; or
//  - handed to one of its nodes (AttachObject, SetMaterial) or to Adopt; or
//  - put into a material that the scene owns (a sub-texture map or the
//    active map), and the maps of a material the scene takes.
// All of it is destroyed with the scene, so a material made and never
// assigned (say because SetMaterial threw) or a node made and never added
// does not leak. Nobody else deletes these objects. An object made while no
// scene is current belongs to its maker until it is handed to a scene.
// An object belongs to one scene at most; handing it to a second scene
// leaves it with the first.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/failure_hook.h"
#include "host/host_api.h"
#include "host/import_interface.h"
#include "host/matrix3.h"

class HostScene;
class MtlBase;

// Calls that a test can make throw (std::runtime_error), as a host's can.
enum class HostSceneCall { GetSceneNode, SetMaterial };

// One node: both the import node handed to the importer and its scene node.
class HOST_API HostNode final : public ImportNode, public SceneNode {
public:
    ~HostNode() override;

    void AttachObject(TriObject* object) override;
    void SetTransform(int time, Matrix3 tm) override;
    void SetName(const char* name) override;
    SceneNode* GetSceneNode() override;
    void SetMaterial(Mtl* material) override;

    const char* Name() const { return m_name.c_str(); }
    TriObject* Object() const { return m_object; }
    Mtl* Material() const { return m_material; }
    bool HasTransform(int time = 0) const { return m_transforms.count(time) != 0; }
    // The transform set for that time; the all-zero matrix when none was set.
    Matrix3 Transform(int time = 0) const;

private:
    friend class HostScene;
    explicit HostNode(HostScene& scene) : m_scene(scene) {}

    HostScene& m_scene;
    std::string m_name;
    TriObject* m_object = nullptr;
    Mtl* m_material = nullptr;
    std::map<int, Matrix3> m_transforms;
};

class HOST_API HostScene : public ImportInterface {
public:
    HostScene();  // becomes the current scene
    ~HostScene() override;
    HostScene(const HostScene&) = delete;
    HostScene& operator=(const HostScene&) = delete;

    ImportNode* CreateNode() override;
    int AddNodeToScene(ImportNode* node) override;
    void RedrawViews() override;

    // The scene as built: the nodes added, in the order added.
    int NodeCount() const { return int(m_added.size()); }
    const HostNode& Node(int i) const;  // std::out_of_range outside 0..NodeCount()-1
    int CreatedNodeCount() const { return int(m_nodes.size()); }
    int RedrawCount() const { return m_redraws; }

    // Takes ownership of an object (see above); null or owned: nothing.
    void Adopt(TriObject* object);
    void Adopt(MtlBase* object);
    bool Owns(const void* object) const;

    // From now on the call throws each time fail returns true for its index
    // (counted from 0 per kind of call, since this hook was set). An empty
    // function lets every call through.
    void SetFailures(HostSceneCall call, std::function<bool(int callIndex)> fail);

    static HostScene* Current();

private:
    friend class HostNode;
    void MaybeFail(HostSceneCall call);

    std::vector<std::unique_ptr<HostNode>> m_nodes;
    std::unordered_set<const ImportNode*> m_addedSet;
    std::vector<HostNode*> m_added;
    std::vector<std::unique_ptr<TriObject>> m_objects;
    std::vector<std::unique_ptr<MtlBase>> m_mtls;
    zenthor::FailureHook m_failures[2];  // by HostSceneCall
    int m_redraws = 0;
};
