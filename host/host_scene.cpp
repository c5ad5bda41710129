#include "host/host_scene.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "host/mtl.h"
#include "host/scene_ownership.h"
#include "host/tri_object.h"

namespace {

// Which scene is current, and which scene owns which object (process-wide:
// the importer and the host application share this library). Used, like every
// host call, on the host's user-interface thread only: no lock.
struct Registry {
    std::vector<HostScene*> scenes;  // alive, in order of construction
    std::unordered_map<const void*, HostScene*> owners;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

HostScene* OwnerOf(const void* object) {
    Registry& registry = TheRegistry();
    const auto it = registry.owners.find(object);
    return it != registry.owners.end() ? it->second : nullptr;
}

}  // namespace

// --- HostNode ---

HostNode::~HostNode() = default;

void HostNode::AttachObject(TriObject* object) {
    m_scene.Adopt(object);
    m_object = object;
}

void HostNode::SetTransform(int time, Matrix3 tm) {
    m_transforms[time] = tm;
}

void HostNode::SetName(const char* name) {
    m_name = name != nullptr ? name : "";
}

SceneNode* HostNode::GetSceneNode() {
    m_scene.MaybeFail(HostSceneCall::GetSceneNode);
    return this;
}

void HostNode::SetMaterial(Mtl* material) {
    m_scene.MaybeFail(HostSceneCall::SetMaterial);
    m_scene.Adopt(material);
    m_material = material;
}

Matrix3 HostNode::Transform(int time) const {
    const auto it = m_transforms.find(time);
    return it != m_transforms.end() ? it->second : Matrix3();
}

// --- HostScene ---

HostScene::HostScene() {
    Registry& registry = TheRegistry();
    registry.scenes.push_back(this);
}

HostScene::~HostScene() {
    {
        Registry& registry = TheRegistry();
        std::erase(registry.scenes, this);
        for (const auto& object : m_objects) {
            registry.owners.erase(object.get());
        }
        for (const auto& mtl : m_mtls) {
            registry.owners.erase(mtl.get());
        }
    }
    // Nodes only refer to objects and materials; materials only refer to maps.
    m_nodes.clear();
    m_mtls.clear();
    m_objects.clear();
}

HostScene* HostScene::Current() {
    Registry& registry = TheRegistry();
    return registry.scenes.empty() ? nullptr : registry.scenes.back();
}

ImportNode* HostScene::CreateNode() {
    m_nodes.push_back(std::unique_ptr<HostNode>(new HostNode(*this)));
    return m_nodes.back().get();
}

int HostScene::AddNodeToScene(ImportNode* node) {
    if (node == nullptr || m_addedSet.count(node) != 0) {
        return 0;
    }
    const auto it = std::find_if(m_nodes.begin(), m_nodes.end(), [node](const auto& own) {
        return static_cast<ImportNode*>(own.get()) == node;
    });
    if (it == m_nodes.end()) {
        return 0;
    }
    m_added.reserve(m_added.size() + 1);
    m_addedSet.insert(node);
    m_added.push_back(it->get());
    return 1;
}

void HostScene::RedrawViews() {
    ++m_redraws;
}

const HostNode& HostScene::Node(int i) const {
    if (i < 0 || i >= NodeCount()) {
        throw std::out_of_range("HostScene node index");
    }
    return *m_added[std::size_t(i)];
}

// Takes an object into one of the scene's lists. The object is handed over
// unconditionally: if recording it fails, it is destroyed and the failure
// passes on.
template <class T>
static void Take(HostScene& scene, std::vector<std::unique_ptr<T>>& list, T* raw) {
    std::unique_ptr<T> object(raw);
    list.reserve(list.size() + 1);
    Registry& registry = TheRegistry();
    registry.owners.emplace(raw, &scene);
    list.push_back(std::move(object));
}

void HostScene::Adopt(TriObject* object) {
    if (object == nullptr || OwnerOf(object) != nullptr) {
        return;
    }
    Take(*this, m_objects, object);
}

void HostScene::Adopt(MtlBase* object) {
    if (object == nullptr || OwnerOf(object) != nullptr) {
        return;
    }
    Take(*this, m_mtls, object);
    // A material brings its maps along.
    if (const auto* material = dynamic_cast<const Mtl*>(object)) {
        for (int slot = 0; slot < material->NumSubTexmaps(); ++slot) {
            Adopt(material->GetSubTexmap(slot));
        }
        Adopt(material->GetActiveTexmap());
    }
}

bool HostScene::Owns(const void* object) const {
    return object != nullptr && OwnerOf(object) == this;
}

void HostScene::SetFailures(HostSceneCall call, std::function<bool(int callIndex)> fail) {
    m_failures[std::size_t(call)].Set(std::move(fail));
}

void HostScene::MaybeFail(HostSceneCall call) {
    if (m_failures[std::size_t(call)].NextCallFails()) {
        throw std::runtime_error(call == HostSceneCall::GetSceneNode ? "GetSceneNode failed"
                                                                     : "SetMaterial failed");
    }
}

// --- ownership of objects made by the factory functions ---

namespace zenthor {

TriObject* AdoptByCurrentScene(std::unique_ptr<TriObject> object) {
    TriObject* raw = object.get();
    if (HostScene* scene = HostScene::Current()) {
        scene->Adopt(object.release());
    } else {
        object.release();  // the caller's now
    }
    return raw;
}

MtlBase* AdoptByCurrentScene(std::unique_ptr<MtlBase> object) {
    MtlBase* raw = object.get();
    if (HostScene* scene = HostScene::Current()) {
        scene->Adopt(object.release());
    } else {
        object.release();
    }
    return raw;
}

void AdoptAlongWith(const MtlBase* owner, MtlBase* object) {
    if (object == nullptr) {
        return;
    }
    if (HostScene* scene = OwnerOf(owner)) {
        scene->Adopt(object);
    }
}

}  // namespace zenthor
