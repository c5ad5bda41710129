// A content tree in a fresh temporary folder, removed again with the object:
// <tmp>/zenthor-XXXXXX/content/ with files written below it on request.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tests/support/model_writer.h"

namespace zenthor::test {

// Writes `bytes` to `path`, creating its folders; throws when it cannot.
void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Every file and folder below `folder`, relative to it with '/', sorted.
std::vector<std::string> FilesBelow(const std::filesystem::path& folder);

class TempContentTree {
public:
    // `folder` names the content folder below the temporary one (a path such as
    // "old_lods/content" puts the tree deeper).
    explicit TempContentTree(const std::string& folder = "content");
    ~TempContentTree();
    TempContentTree(const TempContentTree&) = delete;
    TempContentTree& operator=(const TempContentTree&) = delete;

    // The content folder, and the temporary folder that holds it.
    const std::filesystem::path& Root() const { return m_root; }
    const std::filesystem::path& Base() const { return m_base; }

    // The full path of `relative` (either separator) below the content folder.
    std::string Path(const std::string& relative) const;
    // Writes the bytes at `relative`, creating folders, and returns the full path.
    std::string Write(const std::string& relative, std::span<const std::uint8_t> bytes);
    std::string Write(const std::string& relative, const std::vector<Chunk>& chunks);

private:
    std::filesystem::path m_base;
    std::filesystem::path m_root;
};

}  // namespace zenthor::test
