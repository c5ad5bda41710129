// ImportJob: the driver's working object for one import. It owns the model read from the
// picked file for the length of the import, and the content root that textures are found
// against.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/zenthor_model.h"
#include "scene/import_logger.h"

class ImportInterface;
class LogSys;
class ImportNode;
class Mesh;

namespace zenthor {

class FileSource;
class LoadObserver;
struct ModelMesh;

class ImportJob {
public:
    // `log`: the host's log, told what the import reads and leaves out; null for none.
    explicit ImportJob(LogSys* log = nullptr);
    ~ImportJob();
    ImportJob(const ImportJob&) = delete;
    ImportJob& operator=(const ImportJob&) = delete;

    // Creates the model (the job owns it from then on, also when loading fails) and loads
    // `path` into it. True when at least one mesh was loaded; only then is contentRoot set.
    bool LoadModel(const std::string& path, bool includeLods);
    // The same, telling `observer` what was skipped and reading files through `files`
    // (null: the file system).
    bool LoadModel(const std::string& path, bool includeLods, LoadObserver* observer,
                   FileSource* files = nullptr);

    // Scene construction, once LoadModel has returned true (they use the model unchecked).
    // Each is the scene layer's operation of the same name, given this job's data.
    int BuildMesh(const ModelMesh& mesh, Mesh& hostMesh, std::uint32_t meshIndex);
    std::string ResolveTexturePath(const std::string& textureName) const;
    int CreateMaterial(const ModelMesh& mesh, ImportNode* node);
    int BuildScene(ImportInterface* importInterface);
    // The number of model meshes, counted whether or not the host could make their objects.
    int GetObjectCount() const;
    // Triangles as stored in the file: indexCount / 3 of mesh `index`, before any clean-up.
    int GetPolygonCount(int index) const;

    std::unique_ptr<CZenthorModel> model;
    std::string contentRoot;

private:
    ImportLogger m_logger;
};

}  // namespace zenthor
