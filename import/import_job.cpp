#include "import/import_job.h"

#include "model/content_root.h"
#include "model/texture_path.h"
#include "scene/material_builder.h"
#include "scene/mesh_builder.h"
#include "scene/scene_builder.h"

namespace zenthor {

ImportJob::ImportJob(LogSys* log) : m_logger(log) {}
ImportJob::~ImportJob() = default;

bool ImportJob::LoadModel(const std::string& path, bool includeLods) {
    return LoadModel(path, includeLods, &m_logger, nullptr);
}

bool ImportJob::LoadModel(const std::string& path, bool includeLods, LoadObserver* observer,
                          FileSource* files) {
    model = std::make_unique<CZenthorModel>();
    if (!model->LoadFromFile(path, includeLods, observer, files)) {
        return false;
    }
    contentRoot = ContentRootOf(path);
    return true;
}

int ImportJob::BuildMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex) {
    return zenthor::BuildMesh(mesh, hostMesh, meshIndex);
}

std::string ImportJob::ResolveTexturePath(const std::string& textureName) const {
    return zenthor::ResolveTexturePath(contentRoot, textureName);
}

int ImportJob::CreateMaterial(const ModelMesh& mesh, ImportNode* node) {
    return zenthor::CreateMaterial(mesh, node, contentRoot);
}

int ImportJob::BuildScene(ImportInterface* importInterface) {
    return zenthor::BuildScene(*model, contentRoot, importInterface, &m_logger);
}

int ImportJob::GetObjectCount() const {
    return model->GetMeshCount();
}

int ImportJob::GetPolygonCount(int index) const {
    return static_cast<int>(model->GetMesh(index)->indexCount / 3);
}

}  // namespace zenthor
