#include "app/browse/import_cache.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <system_error>

#include "app/browse/browse_request.h"
#include "app/browse/cache_record.h"
#include "app/browse/download_zip.h"
#include "app/support/pending_file.h"
#include "app/support/whole_file.h"
#include "app/workers/blocking_worker_pool.h"
#include "platform/path_lookup.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordFile = "meta.json";
constexpr const char* kViewFile = "view.glb";
constexpr const char* kThumbnailFile = "thumbnail.png";
// A provisional result answers the requests that follow it (the page asks for a model's
// picture and view right after its answer); later ones import it again.
constexpr std::chrono::seconds kRetryAfter(10);

// 64 bits of FNV-1a as 16 hexadecimal digits: stable across runs, so a restarted server
// finds its result folders again and a browser's kept pictures stay valid.
std::string StableHash(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// The files the import read: the model, the referenced files it loaded and the textures
// it found.
std::vector<fs::path> PathsRead(const fs::path& model, const WorkerReport& worker, const ImportReport& report) {
    std::vector<fs::path> paths{model};
    for (const std::string& file : report.FilesRead()) paths.emplace_back(platform::ResolvePath(file));
    for (const ObjectSummary& object : worker.objects) {
        if (!object.texture.empty()) paths.emplace_back(platform::ResolvePath(object.texture));
    }
    return paths;
}

// The files whose change makes an import stale: those it read, every file it referenced
// (read, or looked for and missed: they may appear), and the textures it looked for and
// missed.
std::vector<fs::path> DependencyPaths(const fs::path& model, const WorkerReport& worker, const ImportReport& report) {
    std::vector<fs::path> paths = PathsRead(model, worker, report);
    for (const auto& ref : report.references) paths.emplace_back(platform::ResolvePath(ref.path));
    for (const auto& texture : report.texturesNotFound) paths.emplace_back(platform::ResolvePath(texture.path));
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

// The first file the import read that lies outside `root` now, links followed. A browse
// worker is confined to the tree by the kernel (file_confinement.h), so such a read fails
// when it is made, whenever the link appeared. Where the kernel cannot confine it, this
// check after the import is what holds: it sees a link still there when the import ends,
// not one put back meanwhile.
std::optional<fs::path> FirstReadOutside(const fs::path& root, const std::vector<fs::path>& read) {
    for (const fs::path& path : read) {
        if (!ResolveUnderRoot(root, path.lexically_relative(root).generic_string())) {
            return path;
        }
    }
    return std::nullopt;
}

// The outputs of an import in `folder`, with their sizes.
std::vector<std::pair<std::string, std::uint64_t>> FilesWritten(const fs::path& folder) {
    std::vector<std::pair<std::string, std::uint64_t>> files;
    for (const char* name : {kViewFile, kThumbnailFile}) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(folder / name, error);
        if (!error) files.emplace_back(name, size);
    }
    return files;
}

bool FilesAsRecorded(const fs::path& folder, const std::vector<std::pair<std::string, std::uint64_t>>& files) {
    return std::all_of(files.begin(), files.end(), [&](const auto& file) {
        std::error_code error;
        return fs::file_size(folder / file.first, error) == file.second && !error;
    });
}

// One import per model (by its real path) and answer to the settings dialog.
std::string ImportKey(const fs::path& model, bool lods) {
    return model.native() + (lods ? "\n1" : "\n0");
}

bool StillCurrent(const CachedImport& kept) {
    if (kept.provisional) {
        return std::chrono::steady_clock::now() - kept.finished < kRetryAfter;
    }
    return FilesAsRecorded(kept.folder, kept.files) && DependenciesUnchanged(kept.dependencies);
}

// KeyedMemo's check of a kept result.
bool KeptCurrent(const std::shared_ptr<const CachedImport>& kept) {
    return StillCurrent(*kept);
}

// A failure that another attempt may not meet: everything but an answer whose output was
// written (or that failed on the model itself) and a crash of the importer. A worker
// killed by SIGKILL was killed from outside (the kernel out of memory, the server
// stopping): the time limit kills with it too, but is told apart.
bool FailedForTheMoment(const WorkerRun& run, const WorkerReport& worker) {
    switch (run.end) {
        case WorkerRun::End::Answered:
            return worker.writeFailed;
        case WorkerRun::End::Crashed:
            return !WIFSIGNALED(run.status) || WTERMSIG(run.status) == SIGKILL;
        case WorkerRun::End::TimedOut:
        case WorkerRun::End::StartFailed:
        case WorkerRun::End::Stopped:
            break;
    }
    return true;
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
                                               const fs::path& folder, const WorkerReport& worker,
                                               const std::string& failure) {
    auto cached = std::make_shared<CachedImport>();
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
    cached->finished = std::chrono::steady_clock::now();
    return cached;
}

}  // namespace

ImportCache::ImportCache(fs::path root, fs::path cache, BlockingWorkerPool& workers, double timeLimitSeconds,
                         std::uint64_t sizeBound)
    : m_root(std::move(root)),
      m_cache(std::move(cache)),
      m_workers(workers),
      m_timeLimitSeconds(timeLimitSeconds),
      m_usage(m_cache, sizeBound) {}

std::shared_ptr<const CachedImport> ImportCache::Get(const fs::path& model, bool lods) {
    const std::string key = ImportKey(model, lods);
    const std::string folderName = StableHash(key);
    auto cached = m_imports.Get(
        key, KeptCurrent,
        [&] { return Import(model, model.lexically_relative(m_root).generic_string(), lods, folderName); });
    m_usage.Used(folderName);
    return cached;
}

bool ImportCache::Ready(const fs::path& model, bool lods) {
    return m_imports.Kept(ImportKey(model, lods), KeptCurrent).has_value();
}

std::shared_ptr<const CachedImport> ImportCache::Peek(const fs::path& model, bool lods) {
    const std::string key = ImportKey(model, lods);
    if (auto kept = m_imports.Kept(key, KeptCurrent)) {
        return *kept;
    }
    return Kept(model, model.lexically_relative(m_root).generic_string(), lods, m_cache / StableHash(key));
}

std::shared_ptr<const CachedImport> ImportCache::Kept(const fs::path& model, const std::string& relative, bool lods,
                                                      const fs::path& folder) const {
    std::string text;
    if (!ReadWholeFile(folder / kRecordFile, text)) {
        return nullptr;
    }
    std::optional<CacheRecord> record = ParseCacheRecord(text);
    if (!record || record->model != model || record->lods != lods || record->dependencies.empty() ||
        !FilesAsRecorded(folder, record->files) || !DependenciesUnchanged(record->dependencies)) {
        return nullptr;
    }
    auto cached = CachedImportFrom(model, relative, lods, folder, ParseWorkerReport(record->report), record->failure);
    cached->dependencies = std::move(record->dependencies);
    cached->files = std::move(record->files);
    cached->files.emplace_back(kRecordFile, text.size());
    cached->version = StableHash(text);
    return cached;
}

std::shared_ptr<const CachedImport> ImportCache::Import(const fs::path& model, const std::string& relative, bool lods,
                                                        const std::string& folderName) {
    const fs::path folder = m_cache / folderName;
    // A result kept from an earlier run still counts while its files are unchanged.
    if (auto kept = Kept(model, relative, lods, folder)) {
        return kept;
    }

    m_usage.Forget(folderName);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    // The cache folder may have gone, or become unwritable, since the server started.
    if (const std::optional<std::string> why = WhyNotWritable(folder, true)) {
        auto failed = CachedImportFrom(model, relative, lods, folder, {},
                                       "cannot write into the cache folder " + m_cache.string() + ": " + *why);
        failed->provisional = true;
        return failed;
    }
    ImportRequest job = RequestFor(model, folder / kViewFile, OutputFormat::Glb, lods);
    job.thumbnail = folder / kThumbnailFile;
    const WorkerRun run = m_workers.Run(job);
    const WorkerReport worker = ParseWorkerReport(run.report);
    const std::string failure = DescribeWorkerFailure(run, m_timeLimitSeconds);
    auto cached = CachedImportFrom(model, relative, lods, folder, worker, failure);
    cached->provisional = FailedForTheMoment(run, worker);
    cached->dependencies = StatDependencies(DependencyPaths(model, worker, cached->report));
    if (const std::optional<fs::path> outside = FirstReadOutside(m_root, PathsRead(model, worker, cached->report))) {
        cached->imported = false;
        cached->error = "the import read " + outside->string() + ", which leads out of the content folder";
        cached->provisional = true;
    }
    if (cached->provisional) {
        fs::remove_all(folder, ignored);
        return cached;
    }
    cached->files = FilesWritten(folder);

    const CacheRecord record{model, lods, failure, run.report, cached->dependencies, cached->files};
    const std::string text = FormatCacheRecord(record);
    std::string error;
    // A result that cannot be kept is still served; it is only imported again next time.
    if (WriteFileAtomically(folder / kRecordFile, text, error)) {
        cached->files.emplace_back(kRecordFile, text.size());
        cached->version = StableHash(text);
    }
    m_usage.Holds(folderName);
    return cached;
}

std::optional<fs::path> ImportCache::Download(const CachedImport& cached, OutputFormat format, std::string& error) {
    if (format == OutputFormat::Glb) {
        return cached.folder / kViewFile;
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
    if (ok) {
        m_usage.Holds(cached.folder.filename().string());
    }
    return ok;
}

}  // namespace zenthor
