#include "import/import_job.h"

#include "model/content_root.h"

namespace zenthor {

ImportJob::ImportJob() = default;
ImportJob::~ImportJob() = default;

bool ImportJob::LoadModel(const std::string& path, bool includeLods)
{
    return LoadModel(path, includeLods, nullptr, nullptr);
}

bool ImportJob::LoadModel(const std::string& path, bool includeLods, LoadObserver* observer, FileSource* files)
{
    model = std::make_unique<CZenthorModel>();
    if (!model->LoadFromFile(path, includeLods, observer, files)) {
        return false;
    }
    contentRoot = ContentRootOf(path);
    return true;
}

}  // namespace zenthor
