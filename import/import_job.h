// ImportJob: the driver's working object for one import. It owns the model read from the
// picked file for the length of the import, and the content root that textures are found
// against.
#pragma once

#include <memory>
#include <string>

#include "model/zenthor_model.h"

namespace zenthor {

class FileSource;
class LoadObserver;

class ImportJob {
public:
    ImportJob();
    ~ImportJob();
    ImportJob(const ImportJob&) = delete;
    ImportJob& operator=(const ImportJob&) = delete;

    // Creates the model (the job owns it from then on, also when loading fails) and loads
    // `path` into it. True when at least one mesh was loaded; only then is contentRoot set.
    bool LoadModel(const std::string& path, bool includeLods);
    // The same, telling `observer` what was skipped and reading files through `files`
    // (null: the file system).
    bool LoadModel(const std::string& path, bool includeLods, LoadObserver* observer, FileSource* files = nullptr);

    std::unique_ptr<CZenthorModel> model;
    std::string contentRoot;
};

}  // namespace zenthor
