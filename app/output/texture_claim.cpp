#include "app/output/texture_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace zenthor {

namespace fs = std::filesystem;

TextureClaim::~TextureClaim() {
    if (m_fd >= 0) {
        close(m_fd);  // drops the lock
    }
}

bool TextureClaim::Acquire(const fs::path& file, std::string& error) {
    m_file = file;
    std::error_code code;
    fs::create_directories(file.parent_path(), code);
    m_fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    int result = m_fd < 0 ? -1 : 0;
    while (m_fd >= 0 && (result = flock(m_fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        error = "cannot claim " + file.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string TextureClaim::Record() const {
    std::string record;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t n = pread(m_fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return record;
        }
        record.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

bool TextureClaim::SetRecord(const std::string& record, std::string& error) {
    bool ok = ftruncate(m_fd, 0) == 0;
    for (std::size_t done = 0; ok && done < record.size();) {
        const ssize_t n = pwrite(m_fd, record.data() + done, record.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    if (!ok) {
        error = "cannot write " + m_file.string() + ": " + std::strerror(errno);
    }
    return ok;
}

}  // namespace zenthor
