#include "app/browse/download_zip.h"

#include <zip.h>

#include <system_error>

#include "app/support/pending_file.h"

namespace zenthor {

namespace fs = std::filesystem;

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

}  // namespace zenthor
