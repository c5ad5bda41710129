#include "app/browse/import_cache.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <system_error>

#include "app/browse/download_zip.h"
#include "app/support/pending_file.h"
#include "app/support/whole_file.h"
#include "app/workers/blocking_worker_pool.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMetaFile = "meta.json";
constexpr const char* kReportFile = "report.txt";
// The form of what a cache folder holds (a .glb with PNG textures, its thumbnail, the
// report lines); a folder kept in another form is imported again.
constexpr int kCacheVersion = 1;

// A stable folder name for a key (FNV-1a), so a restarted server finds its results again.
std::string KeyFolder(const std::string& key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string ReadFile(const fs::path& path) {
    std::string text;
    return ReadWholeFile(path, text) ? text : std::string();
}

// The files whose change makes an import stale: the model, every file it referenced
// (read, or looked for and missed: they may appear), the textures it found, and those it
// looked for and missed.
std::vector<fs::path> DependencyPaths(const fs::path& model, const WorkerReport& worker, const ImportReport& report) {
    std::vector<fs::path> paths{model};
    for (const auto& ref : report.references) paths.emplace_back(platform::ResolvePath(ref.path));
    for (const auto& texture : report.texturesNotFound) paths.emplace_back(platform::ResolvePath(texture.path));
    for (const ObjectSummary& object : worker.objects) {
        if (!object.texture.empty()) paths.emplace_back(platform::ResolvePath(object.texture));
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

// What the page shows is written with PNG textures, which every browser opens; a .glb
// carries them.
ImportRequest RequestFor(const fs::path& model, const fs::path& output, OutputFormat format, bool lods) {
    ImportRequest request;
    request.input = model;
    request.output = output;
    request.format = format;
    request.includeLods = lods;
    request.textures = TextureMode::Png;
    return request;
}

std::shared_ptr<CachedImport> CachedImportFrom(const fs::path& model, const std::string& relative, bool lods,
                                               const fs::path& folder, const std::string& reportText,
                                               const std::string& failure) {
    auto cached = std::make_shared<CachedImport>();
    const WorkerReport worker = ParseWorkerReport(reportText);
    cached->model = model;
    cached->path = relative;
    cached->lods = lods;
    cached->folder = folder;
    cached->imported = worker.ok && failure.empty();
    cached->error = !failure.empty() ? failure : worker.error;
    if (!worker.boxes.empty()) {
        cached->summary = worker.boxes.front();
    }
    cached->objects = worker.objects;
    cached->triangles = worker.triangles;
    cached->report = BuildImportReport(worker.log);
    cached->warnings = worker.warnings;
    return cached;
}

}  // namespace

ImportCache::ImportCache(fs::path cache, BlockingWorkerPool& workers, double timeLimitSeconds)
    : m_cache(std::move(cache)), m_workers(workers), m_timeLimitSeconds(timeLimitSeconds) {}

std::shared_ptr<const CachedImport> ImportCache::Get(const fs::path& model, const std::string& relative, bool lods) {
    const std::string key = relative + (lods ? "\n1" : "\n0");
    return m_imports.Get(
        key, [](const std::shared_ptr<const CachedImport>& kept) { return DependenciesUnchanged(kept->dependencies); },
        [&] { return Import(model, relative, lods, m_cache / KeyFolder(key)); });
}

std::shared_ptr<const CachedImport> ImportCache::Import(const fs::path& model, const std::string& relative,
                                                        bool lods, const fs::path& folder) {
    // A result kept from an earlier run still counts while its files are unchanged.
    std::error_code error;
    if (fs::exists(folder / kMetaFile, error)) {
        const nlohmann::json meta = nlohmann::json::parse(ReadFile(folder / kMetaFile), nullptr, false);
        if (meta.is_object() && meta.value("path", "") == relative && meta.value("version", 0) == kCacheVersion) {
            std::vector<Dependency> dependencies;
            for (const nlohmann::json& d : meta.value("dependencies", nlohmann::json::array())) {
                dependencies.push_back({d.at(0).get<std::string>(), d.at(1).get<std::int64_t>(), d.at(2).get<std::int64_t>()});
            }
            if (!dependencies.empty() && DependenciesUnchanged(dependencies)) {
                auto cached = CachedImportFrom(model, relative, lods, folder, ReadFile(folder / kReportFile),
                                               meta.value("failure", ""));
                cached->dependencies = std::move(dependencies);
                return cached;
            }
        }
    }

    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    ImportRequest job = RequestFor(model, folder / "view.glb", OutputFormat::Glb, lods);
    job.thumbnail = folder / "thumbnail.png";
    const WorkerRun run = m_workers.Run(job);
    const std::string failure = DescribeWorkerFailure(run, m_timeLimitSeconds);
    auto cached = CachedImportFrom(model, relative, lods, folder, run.report, failure);
    cached->dependencies = StatDependencies(DependencyPaths(model, ParseWorkerReport(run.report), cached->report));

    nlohmann::json dependencies = nlohmann::json::array();
    for (const Dependency& d : cached->dependencies) {
        dependencies.push_back({d.path.string(), d.modified, d.size});
    }
    const nlohmann::json meta = {
        {"path", relative}, {"version", kCacheVersion}, {"failure", failure}, {"dependencies", dependencies}};
    std::string ignored;
    // A result that cannot be kept is still served; it is only imported again next time.
    if (WriteFileAtomically(folder / kReportFile, run.report, ignored)) {
        WriteFileAtomically(folder / kMetaFile, meta.dump(), ignored);
    }
    return cached;
}

std::optional<fs::path> ImportCache::Download(const CachedImport& cached, OutputFormat format, std::string& error) {
    if (format == OutputFormat::Glb) {
        return cached.folder / "view.glb";
    }
    const fs::path zipPath = cached.folder / (cached.model.stem().string() + Extension(format) + ".zip");
    // A zip goes with its folder when the model is imported again.
    const bool made = m_downloads.Get(
        zipPath.string(), [&](bool kept) { return kept && fs::exists(zipPath); },
        [&] { return fs::exists(zipPath) || MakeDownload(cached, format, zipPath, error); });
    if (!made) {
        if (error.empty()) error = "the model could not be written as " + std::string(Extension(format) + 1);
        return std::nullopt;
    }
    return zipPath;
}

bool ImportCache::MakeDownload(const CachedImport& cached, OutputFormat format, const fs::path& zipPath,
                               std::string& error) {
    const fs::path staging = cached.folder / (std::string(Extension(format) + 1) + "-files");
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    fs::create_directories(staging, ignored);
    const fs::path& model = cached.model;
    const WorkerRun run =
        m_workers.Run(RequestFor(model, staging / (model.stem().string() + Extension(format)), format, cached.lods));
    const WorkerReport report = ParseWorkerReport(run.report);
    const bool ok = run.end == WorkerRun::End::Answered && report.ok && ZipFolder(staging, zipPath, error);
    fs::remove_all(staging, ignored);
    return ok;
}

}  // namespace zenthor
