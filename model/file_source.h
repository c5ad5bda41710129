// Where the loader gets its files from: the real file system by default, or files held in
// memory (tests and fuzzing, where references between files must resolve without a disk).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "model/chunk_reader.h"

namespace zenthor {

class FileSource {
public:
    virtual ~FileSource() = default;
    // Sets the fresh `reader` over the whole file at `path`; false when that cannot be done
    // (including a file of length zero).
    virtual bool Open(const std::string& path, CChunkReader& reader) = 0;
};

// Maps files from the file system through CChunkReader::Open.
class DiskFiles final : public FileSource {
public:
    bool Open(const std::string& path, CChunkReader& reader) override;
};

// The file system's source, shared by every load that names none.
DiskFiles& DefaultFileSource();

// Files held in memory, each in its own heap block of exactly its size, so that a read
// past its end is caught by AddressSanitizer. Paths match with '/' and '\' alike and
// without regard to ASCII case, as the content tree is found on disk.
class MemoryFiles final : public FileSource {
public:
    void Add(const std::string& path, std::span<const std::uint8_t> bytes);
    bool Open(const std::string& path, CChunkReader& reader) override;
    std::size_t FileCount() const { return m_files.size(); }

private:
    struct File {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t size = 0;
    };
    static std::string Key(const std::string& path);
    std::map<std::string, File> m_files;
};

}  // namespace zenthor
