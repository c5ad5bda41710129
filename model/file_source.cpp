#include "model/file_source.h"

#include <algorithm>
#include <cstring>

namespace zenthor {

bool DiskFiles::Open(const std::string& path, CChunkReader& reader) {
    return reader.Open(path) == 1;
}

DiskFiles& DefaultFileSource() {
    static DiskFiles files;
    return files;
}

std::string MemoryFiles::Key(const std::string& path) {
    std::string key = path;
    std::transform(key.begin(), key.end(), key.begin(), [](char c) {
        if (c == '/') {
            return '\\';
        }
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return key;
}

void MemoryFiles::Add(const std::string& path, std::span<const std::uint8_t> bytes) {
    File file;
    file.size = bytes.size();
    if (!bytes.empty()) {
        file.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(bytes.size());
        std::memcpy(file.bytes.get(), bytes.data(), bytes.size());
    }
    m_files[Key(path)] = std::move(file);
}

bool MemoryFiles::Open(const std::string& path, CChunkReader& reader) {
    const auto found = m_files.find(Key(path));
    if (found == m_files.end() || found->second.size == 0) {
        return false;
    }
    reader.Cover(found->second.bytes.get(), found->second.size);
    return true;
}

}  // namespace zenthor
