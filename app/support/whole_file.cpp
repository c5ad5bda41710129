#include "app/support/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zenthor {
namespace {

template <typename Bytes>
bool ReadInto(const std::filesystem::path& path, Bytes& bytes) {
    // Not blocking: opening a FIFO would wait for a writer; only a regular file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = read(fd, reinterpret_cast<char*>(bytes.data()) + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            ok = n > 0;
            done += ok ? static_cast<std::size_t>(n) : 0;
        }
    }
    close(fd);
    return ok;
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    return ReadInto(path, bytes);
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    return ReadInto(path, bytes);
}

}  // namespace zenthor
