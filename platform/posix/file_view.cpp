#include "platform/file_view.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/path_lookup.h"

namespace platform {
namespace {

// Descriptors are stored one higher, so that descriptor 0 is not mistaken for "none".
NativeHandle FromDescriptor(int fd) {
    return static_cast<NativeHandle>(fd) + 1;
}
int ToDescriptor(NativeHandle handle) {
    return static_cast<int>(handle - 1);
}

// Files up to this size are read into memory rather than mapped: for a small file, setting
// up and tearing down a mapping (with the flush of the address translations it brings)
// costs more than copying its bytes, and a batch reads thousands of such files.
constexpr std::uint64_t kReadLimit = 256 * 1024;

// Reads all `length` bytes of `fd` into a fresh buffer; nullptr on failure or when the
// file turns out shorter than it was.
std::uint8_t* ReadWhole(int fd, std::uint64_t length) {
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(length));
    std::uint64_t done = 0;
    while (buffer != nullptr && done < length) {
        const ssize_t n = ::read(fd, buffer + done, length - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            std::free(buffer);
            return nullptr;
        }
        done += static_cast<std::uint64_t>(n);
    }
    return buffer;
}

}  // namespace

bool OpenFileView(const std::string& path, FileView& view) {
    view = FileView{};
    // Not blocking: opening a FIFO would wait for a writer. Anything but a regular file is
    // refused below.
    const int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        ::close(fd);
        return false;
    }
    const auto length = static_cast<std::uint64_t>(info.st_size);
    if (length <= kReadLimit) {
        std::uint8_t* bytes = ReadWhole(fd, length);
        if (bytes == nullptr) {
            ::close(fd);
            return false;
        }
        // mapping 0: the view's bytes are a buffer of their own, freed on close.
        view.file = FromDescriptor(fd);
        view.data = bytes;
        view.size = length;
        return true;
    }
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    // Every byte is read once, front to back: fault the pages in up front.
    flags |= MAP_POPULATE;
#endif
    void* address = ::mmap(nullptr, length, PROT_READ, flags, fd, 0);
    if (address == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    view.file = FromDescriptor(fd);
    // POSIX has no mapping object apart from the view; its address stands in for it.
    view.mapping = reinterpret_cast<NativeHandle>(address);
    view.data = static_cast<const std::uint8_t*>(address);
    view.size = length;
    return true;
}

void CloseFileView(FileView& view) {
    if (view.data != nullptr && view.mapping == 0) {
        std::free(const_cast<std::uint8_t*>(view.data));
    } else if (view.data != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(view.data), view.size);
    }
    if (view.file != 0) {
        ::close(ToDescriptor(view.file));
    }
    view = FileView{};
}

}  // namespace platform
