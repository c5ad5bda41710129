#include "app/support/model_files.h"

#include <algorithm>

#include "app/support/letter_case.h"

namespace zenthor {

namespace fs = std::filesystem;

std::vector<fs::path> ModelFilesBelow(const fs::path& folder, std::error_code& error) {
    std::vector<fs::path> files;
    error.clear();
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        // A link that leads nowhere is no model; it does not stop the walk.
        std::error_code notAFile;
        if (HasExtension(it->path(), ".model") && it->is_regular_file(notAFile)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace zenthor
