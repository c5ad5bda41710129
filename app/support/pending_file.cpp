#include "app/support/pending_file.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace zenthor {

namespace fs = std::filesystem;

namespace {

const std::string kTempMarker = ".part-";

std::string CannotWrite(const fs::path& path, int errorNumber) {
    return "cannot write " + path.string() + ": " + std::strerror(errorNumber);
}

// An unnamed file is given its name through /proc; without it, files are written under a
// temporary name instead.
bool CanNameUnnamedFiles() {
    static const bool can = access("/proc/self/fd", X_OK) == 0;
    return can;
}

}  // namespace

PendingFile::PendingFile(fs::path finalPath)
    : m_final(std::move(finalPath)), m_temp(TempPathFor(m_final, getpid())) {}

PendingFile::~PendingFile() {
    if (m_fd >= 0) {
        close(m_fd);  // an unnamed file goes with its last descriptor
    }
    if (!m_committed && !m_unnamed) {
        std::error_code ignored;
        fs::remove(m_temp, ignored);
    }
}

bool PendingFile::Open(std::string& error) {
    m_writeErrno = 0;
    // Preferably an unnamed file in the final folder, named once whole: the folder is
    // changed once instead of twice (which matters when workers write into one folder at
    // once), and a writer that is killed leaves nothing, not even a temporary file.
    if (CanNameUnnamedFiles()) {
        const fs::path folder = m_final.has_parent_path() ? m_final.parent_path() : fs::path(".");
        m_fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        m_unnamed = m_fd >= 0;
        if (m_unnamed) {
            return true;
        }
    }
    m_fd = open(m_temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        error = CannotWrite(m_final, errno);
        return false;
    }
    return true;
}

void PendingFile::Write(const void* bytes, std::size_t size) {
    Write({std::string_view(static_cast<const char*>(bytes), size)});
}

void PendingFile::Write(std::initializer_list<std::string_view> parts) {
    std::vector<iovec> pending;
    for (std::string_view part : parts) {
        if (!part.empty()) {
            pending.push_back({const_cast<char*>(part.data()), part.size()});
        }
    }
    std::size_t first = 0;
    while (first < pending.size() && m_writeErrno == 0) {
        const int count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        const ssize_t n = writev(m_fd, pending.data() + first, count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A file-size limit gives EFBIG here, since the program ignores SIGXFSZ.
            m_writeErrno = n < 0 ? errno : EIO;
            return;
        }
        // Past the parts written whole; a part written in part is cut to its rest.
        auto done = static_cast<std::size_t>(n);
        while (first < pending.size() && done >= pending[first].iov_len) {
            done -= pending[first++].iov_len;
        }
        if (done > 0) {
            pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + done;
            pending[first].iov_len -= done;
        }
    }
}

bool PendingFile::Close(std::string& error) {
    int failure = m_fd < 0 ? EBADF : m_writeErrno;
    // An unnamed file is kept open until it is named (Commit closes it).
    if (!m_unnamed && m_fd >= 0) {
        if (close(m_fd) != 0 && failure == 0) {
            failure = errno;  // a file system that reports a full disk only now
        }
        m_fd = -1;
    }
    if (failure != 0) {
        error = CannotWrite(m_final, failure);
        return false;
    }
    return true;
}

bool PendingFile::Commit(std::string& error) {
    if (m_unnamed) {
        return CommitUnnamed(error);
    }
    std::error_code code;
    fs::rename(m_temp, m_final, code);
    if (code) {
        error = "cannot write " + m_final.string() + ": " + code.message();
        return false;
    }
    m_committed = true;
    return true;
}

bool PendingFile::CommitUnnamed(std::string& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    // A new name appears with one link; an existing file is replaced through a rename,
    // as a link never replaces.
    bool named = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_final.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!named && errno == EEXIST) {
        unlink(m_temp.c_str());  // left by an earlier process of this number
        named = linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (named && rename(m_temp.c_str(), m_final.c_str()) != 0) {
            const int failure = errno;
            unlink(m_temp.c_str());
            errno = failure;
            named = false;
        }
    }
    if (!named) {
        error = CannotWrite(m_final, errno);
        return false;
    }
    const int closed = close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        error = CannotWrite(m_final, errno);  // a file system that reports a full disk only now
        unlink(m_final.c_str());
        return false;
    }
    m_committed = true;
    return true;
}

void PendingFile::Withdraw() {
    if (m_committed) {
        std::error_code ignored;
        fs::remove(m_final, ignored);
    }
}

fs::path PendingFile::TempPathFor(const fs::path& finalPath, long pid) {
    fs::path temp = finalPath;
    temp += kTempMarker + std::to_string(pid);
    return temp;
}

bool PendingFile::IsTempPathOf(const fs::path& path, long pid) {
    const std::string name = path.filename().string();
    const std::string ending = kTempMarker + std::to_string(pid);
    return name.size() > ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

PendingFileSet::~PendingFileSet() {
    if (m_committed) {
        return;
    }
    m_files.clear();  // their temporary files go first, so the folders are empty
    std::error_code ignored;
    for (auto folder = m_createdFolders.rbegin(); folder != m_createdFolders.rend(); ++folder) {
        fs::remove(*folder, ignored);
    }
}

bool PendingFileSet::CreateFolder(const fs::path& folder, std::string& error) {
    std::error_code code;
    std::vector<fs::path> missing;
    for (fs::path part = folder; !part.empty() && !fs::exists(part, code); part = part.parent_path()) {
        missing.insert(missing.begin(), part);
        if (part == part.parent_path()) {
            break;
        }
    }
    fs::create_directories(folder, code);
    std::error_code ignored;
    for (const fs::path& part : missing) {
        if (fs::is_directory(part, ignored)) {
            m_createdFolders.push_back(part);
        }
    }
    if (code) {
        error = "cannot create " + folder.string() + ": " + code.message();
        return false;
    }
    return true;
}

PendingFile& PendingFileSet::Add(fs::path finalPath) {
    return *m_files.emplace_back(std::make_unique<PendingFile>(std::move(finalPath)));
}

bool PendingFileSet::AddWhole(fs::path finalPath, std::string_view bytes, std::string& error) {
    PendingFile& file = Add(std::move(finalPath));
    if (!file.Open(error)) {
        return false;
    }
    file.Write(bytes);
    return file.Close(error);
}

bool PendingFileSet::Commit(std::string& error) {
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (!m_files[i]->Commit(error)) {
            for (std::size_t done = 0; done < i; ++done) {
                m_files[done]->Withdraw();
            }
            return false;
        }
    }
    m_committed = true;
    return true;
}

std::optional<std::string> WhyNotWritable(const fs::path& folder, bool create) {
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    std::error_code code;
    if (create) {
        fs::create_directories(where, code);
        if (code) {
            return code.message();
        }
    }
    int fd = open(where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && errno != ENOENT && errno != EACCES && errno != EROFS && errno != ENOTDIR) {
        // A file system without unnamed files: a named one, removed at once.
        std::string name = (where / ".zenthor-check-XXXXXX").string();
        fd = mkstemp(name.data());
        if (fd >= 0) {
            unlink(name.c_str());
        }
    }
    if (fd < 0) {
        return std::string(std::strerror(errno));
    }
    close(fd);
    return std::nullopt;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, std::string& error) {
    PendingFile file(path);
    if (!file.Open(error)) {
        return false;
    }
    file.Write(bytes);
    return file.Close(error) && file.Commit(error);
}

}  // namespace zenthor
