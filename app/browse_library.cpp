#include "app/browse_library.h"

#include <zip.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/pending_file.h"
#include "app/worker_job.h"
#include "app/worker_service.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kMetaFile = "meta.json";
constexpr const char* kReportFile = "report.txt";
// Marks the results of this way of importing (PNG textures, carried in the .glb), so that
// results an older server kept in the same cache folder are made again.
constexpr const char* kCacheFormat = "png-textures";

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
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files whose change makes an import stale: the model, every file it read, the
// textures it found, and those it looked for and missed (they may appear).
std::vector<fs::path> DependencyPaths(const fs::path& model, const WorkerReport& worker, const ImportReport& report) {
    std::vector<fs::path> paths{model};
    for (const std::string& file : report.filesRead) paths.emplace_back(platform::ResolvePath(file));
    for (const auto& ref : report.referencesMissing) paths.emplace_back(platform::ResolvePath(ref.path));
    for (const auto& texture : report.texturesNotFound) paths.emplace_back(platform::ResolvePath(texture.path));
    for (const ObjectSummary& object : worker.objectList) {
        if (!object.texture.empty()) paths.emplace_back(platform::ResolvePath(object.texture));
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

std::shared_ptr<ModelView> ViewOf(const std::string& relative, bool lods, const fs::path& folder,
                                  const std::string& reportText, const std::string& failure) {
    auto view = std::make_shared<ModelView>();
    const WorkerReport worker = ParseWorkerReport(reportText);
    view->path = relative;
    view->lods = lods;
    view->folder = folder;
    view->imported = worker.ok && failure.empty();
    view->error = !failure.empty() ? failure : worker.error;
    if (!worker.boxes.empty()) {
        view->summary = worker.boxes.front();
    }
    view->objects = worker.objectList;
    view->triangles = worker.triangles;
    view->report = BuildImportReport(worker.log);
    view->warnings = worker.warnings;
    return view;
}

// Writes `folder`'s files, except what `skip` names, into a zip at `zipPath` (atomically).
bool ZipFolder(const fs::path& folder, const fs::path& zipPath, std::string& error) {
    PendingFile pending(zipPath);
    int code = 0;
    zip_t* archive = zip_open(pending.TempPath().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        error = "cannot write " + zipPath.string();
        return false;
    }
    bool ok = true;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        zip_source_t* source = zip_source_file(archive, entry.path().c_str(), 0, -1);
        if (source == nullptr || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            ok = false;
            break;
        }
    }
    if (!ok) {
        zip_discard(archive);
        error = "cannot write " + zipPath.string();
        return false;
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        error = "cannot write " + zipPath.string();
        return false;
    }
    return pending.Commit(error);
}

}  // namespace

std::vector<Dependency> StatDependencies(const std::vector<fs::path>& paths) {
    std::vector<Dependency> dependencies;
    for (const fs::path& path : paths) {
        Dependency dependency{path, -1, -1};
        std::error_code error;
        const auto time = fs::last_write_time(path, error);
        if (!error) {
            dependency.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
            const auto size = fs::file_size(path, error);
            dependency.size = error ? -1 : static_cast<std::int64_t>(size);
        }
        dependencies.push_back(std::move(dependency));
    }
    return dependencies;
}

bool DependenciesUnchanged(const std::vector<Dependency>& recorded) {
    std::vector<fs::path> paths;
    for (const Dependency& dependency : recorded) paths.push_back(dependency.path);
    const std::vector<Dependency> now = StatDependencies(paths);
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i].modified != recorded[i].modified || now[i].size != recorded[i].size) {
            return false;
        }
    }
    return true;
}

ModelLibrary::ModelLibrary(fs::path root, fs::path cache, WorkerService& workers, double timeLimitSeconds)
    : m_root(std::move(root)), m_cache(std::move(cache)), m_workers(workers), m_timeLimitSeconds(timeLimitSeconds) {}

std::shared_ptr<const ModelView> ModelLibrary::Get(const fs::path& model, const std::string& relative, bool lods) {
    const std::string key = relative + (lods ? "\n1" : "\n0");
    const fs::path folder = m_cache / KeyFolder(key);
    for (;;) {
        std::shared_ptr<const ModelView> done;
        std::shared_future<std::shared_ptr<const ModelView>> pending;
        {
            std::lock_guard lock(m_mutex);
            const Slot& slot = m_slots[key];
            done = slot.done;
            pending = slot.pending;
        }
        if (pending.valid()) {
            return pending.get();
        }
        if (done && DependenciesUnchanged(done->dependencies)) {
            return done;
        }
        std::promise<std::shared_ptr<const ModelView>> promise;
        {
            std::lock_guard lock(m_mutex);
            Slot& slot = m_slots[key];
            if (slot.pending.valid() || slot.done != done) {
                continue;  // another request got there first
            }
            slot.pending = promise.get_future().share();
        }
        std::shared_ptr<const ModelView> result;
        try {
            result = Import(model, relative, lods, folder);
        } catch (...) {
            std::lock_guard lock(m_mutex);
            m_slots[key].pending = {};
            promise.set_exception(std::current_exception());
            throw;
        }
        {
            std::lock_guard lock(m_mutex);
            m_slots[key] = {result, {}};
        }
        promise.set_value(result);
        return result;
    }
}

std::shared_ptr<const ModelView> ModelLibrary::Import(const fs::path& model, const std::string& relative, bool lods,
                                                      const fs::path& folder) {
    // A result kept from an earlier run still counts while its files are unchanged.
    std::error_code error;
    if (fs::exists(folder / kMetaFile, error)) {
        const json meta = json::parse(ReadFile(folder / kMetaFile), nullptr, false);
        if (meta.is_object() && meta.value("path", "") == relative && meta.value("format", "") == kCacheFormat) {
            std::vector<Dependency> dependencies;
            for (const json& d : meta.value("dependencies", json::array())) {
                dependencies.push_back({d.at(0).get<std::string>(), d.at(1).get<std::int64_t>(), d.at(2).get<std::int64_t>()});
            }
            if (!dependencies.empty() && DependenciesUnchanged(dependencies)) {
                auto view = ViewOf(relative, lods, folder, ReadFile(folder / kReportFile), meta.value("failure", ""));
                view->dependencies = std::move(dependencies);
                return view;
            }
        }
    }

    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    // PNG textures, so that the browser shows them; the .glb carries them.
    WorkerJob job;
    job.input = model;
    job.output = folder / "view.glb";
    job.format = OutputFormat::Glb;
    job.includeLods = lods;
    job.textures = TextureMode::Png;
    job.thumbnail = folder / "thumbnail.png";
    const WorkerRun run = m_workers.Run(FormatWorkerJob(job));
    const std::string failure = DescribeWorkerFailure(run, m_timeLimitSeconds);
    auto view = ViewOf(relative, lods, folder, run.report, failure);
    view->dependencies = StatDependencies(DependencyPaths(model, ParseWorkerReport(run.report), view->report));

    json dependencies = json::array();
    for (const Dependency& d : view->dependencies) {
        dependencies.push_back({d.path.string(), d.modified, d.size});
    }
    const json meta = {
        {"path", relative}, {"format", kCacheFormat}, {"failure", failure}, {"dependencies", dependencies}};
    std::string ignored;
    // A result that cannot be kept is still served; it is only imported again next time.
    if (WriteFileAtomically(folder / kReportFile, run.report, ignored)) {
        WriteFileAtomically(folder / kMetaFile, meta.dump(), ignored);
    }
    return view;
}

std::optional<fs::path> ModelLibrary::Download(const ModelView& view, const fs::path& model, OutputFormat format,
                                               std::string& error) {
    const std::string name = model.stem().string();
    if (format == OutputFormat::Glb) {
        return view.folder / "view.glb";
    }
    const fs::path zipPath = view.folder / (name + Extension(format) + ".zip");
    std::promise<bool> promise;
    std::shared_future<bool> made;
    bool mine = false;
    {
        std::lock_guard lock(m_mutex);
        auto [slot, added] = m_downloads.try_emplace(zipPath.string());
        // A zip made for an earlier import of the model went with its folder.
        const bool gone = !added && slot->second.valid() &&
                          slot->second.wait_for(std::chrono::seconds(0)) == std::future_status::ready &&
                          !fs::exists(zipPath);
        if (added || gone || !slot->second.valid()) {
            slot->second = promise.get_future().share();
            mine = true;
        }
        made = slot->second;
    }
    if (mine) {
        bool ok = fs::exists(zipPath);
        if (!ok) {
            const fs::path staging = view.folder / (std::string(Extension(format) + 1) + "-files");
            std::error_code ignored;
            fs::remove_all(staging, ignored);
            fs::create_directories(staging, ignored);
            WorkerJob job;
            job.input = model;
            job.output = staging / (name + Extension(format));
            job.format = format;
            job.includeLods = view.lods;
            job.textures = TextureMode::Png;
            const WorkerRun run = m_workers.Run(FormatWorkerJob(job));
            const WorkerReport report = ParseWorkerReport(run.report);
            ok = run.end == WorkerRun::End::Answered && report.ok && ZipFolder(staging, zipPath, error);
            fs::remove_all(staging, ignored);
        }
        promise.set_value(ok);
        if (!ok) {
            std::lock_guard lock(m_mutex);
            m_downloads.erase(zipPath.string());
        }
    }
    if (!made.get()) {
        if (error.empty()) error = "the model could not be written as " + std::string(Extension(format) + 1);
        return std::nullopt;
    }
    return zipPath;
}

}  // namespace zenthor
