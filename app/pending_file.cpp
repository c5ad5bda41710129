#include "app/pending_file.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <system_error>

namespace zenthor {

namespace fs = std::filesystem;

PendingFile::PendingFile(fs::path finalPath)
    : m_final(std::move(finalPath)), m_temp(TempPathFor(m_final, getpid())) {}

PendingFile::~PendingFile() {
    if (!m_committed) {
        std::error_code ignored;
        fs::remove(m_temp, ignored);
    }
}

bool PendingFile::Commit(std::string& error) {
    std::error_code code;
    fs::rename(m_temp, m_final, code);
    if (code) {
        error = "cannot write " + m_final.string() + ": " + code.message();
        return false;
    }
    m_committed = true;
    return true;
}

fs::path PendingFile::TempPathFor(const fs::path& finalPath, long pid) {
    fs::path temp = finalPath;
    temp += ".part-" + std::to_string(pid);
    return temp;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string& error) {
    PendingFile file(path);
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(file.TempPath().c_str(), "wb"), &std::fclose);
        const bool written = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
        if (!written || std::fclose(out.release()) != 0) {
            error = "cannot write " + path.string();
            return false;
        }
    }
    return file.Commit(error);
}

}  // namespace zenthor
