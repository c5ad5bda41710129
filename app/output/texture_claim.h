// A claim on one texture among processes that share a folder of claims: an exclusive lock
// on a small file that also holds what the first holder found out. Whoever holds the
// claim with an empty record does the work and writes the record; the others wait for the
// lock and read it. The operating system drops the lock of a process that dies, so a
// worker stopped part way never blocks the rest; its empty record lets the next one retry.
#pragma once

#include <filesystem>
#include <string>

namespace zenthor {

class TextureClaim {
public:
    TextureClaim() = default;
    ~TextureClaim();  // releases the lock
    TextureClaim(const TextureClaim&) = delete;
    TextureClaim& operator=(const TextureClaim&) = delete;

    // Opens (creating it and its folders) and locks `file`, waiting for another holder to
    // release it. False with `error` set when the file cannot be opened or locked.
    bool Acquire(const std::filesystem::path& file, std::string& error);

    // The record of an earlier holder, as written (a holder that failed part way may have
    // left part of one; records carry their own end mark).
    std::string Record() const;
    // Replaces the record; false with `error` set when it cannot be written.
    bool SetRecord(const std::string& record, std::string& error);

private:
    std::filesystem::path m_file;
    int m_fd = -1;
};

}  // namespace zenthor
