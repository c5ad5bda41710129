// A file that appears whole or not at all: written under a temporary name beside its
// final one and renamed into place when complete, so a writer that fails or a worker
// that is killed never leaves a truncated file under the final name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zenthor {

class PendingFile {
public:
    explicit PendingFile(std::filesystem::path finalPath);
    ~PendingFile();  // removes the temporary file unless committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& TempPath() const { return m_temp; }
    const std::filesystem::path& FinalPath() const { return m_final; }
    // Renames the temporary file to the final name; false with `error` set when that fails.
    bool Commit(std::string& error);

    // The temporary name that the process `pid` uses for `finalPath`.
    static std::filesystem::path TempPathFor(const std::filesystem::path& finalPath, long pid);

private:
    std::filesystem::path m_final;
    std::filesystem::path m_temp;
    bool m_committed = false;
};

// Writes `bytes` as the whole of `path` through a PendingFile; false with `error` set
// (and nothing left behind) when any step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);

}  // namespace zenthor
