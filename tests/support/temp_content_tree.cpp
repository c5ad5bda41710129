#include "tests/support/temp_content_tree.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace zenthor::test {

void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> FilesBelow(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        files.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TempContentTree::TempContentTree(const std::string& folder) {
    // A folder of a new random name: create_directory says whether it made it.
    std::random_device random;
    for (int attempt = 0; m_base.empty(); ++attempt) {
        if (attempt == 100) throw std::runtime_error("cannot create a temporary folder");
        const auto candidate =
            std::filesystem::temp_directory_path() / ("zenthor-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) m_base = candidate;
    }
    m_root = m_base / folder;
    std::filesystem::create_directories(m_root);
}

TempContentTree::~TempContentTree() {
    std::error_code ignored;
    std::filesystem::remove_all(m_base, ignored);
}

std::string TempContentTree::Path(const std::string& relative) const {
    std::string slashed = relative;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return (m_root / slashed).string();
}

std::string TempContentTree::Write(const std::string& relative, std::span<const std::uint8_t> bytes) {
    const std::string path = Path(relative);
    WriteFile(path, bytes);
    return path;
}

std::string TempContentTree::Write(const std::string& relative, const std::vector<Chunk>& chunks) {
    return Write(relative, Serialize(chunks));
}

}  // namespace zenthor::test
