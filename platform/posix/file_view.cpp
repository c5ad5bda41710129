#include "platform/file_view.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

bool OpenFileView(const std::string& path, FileView& view) {
    view = FileView{};
    const int fd = ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        ::close(fd);
        return false;
    }
    const auto length = static_cast<std::uint64_t>(info.st_size);
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
    if (view.data != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(view.data), view.size);
    }
    if (view.file != 0) {
        ::close(ToDescriptor(view.file));
    }
    view = FileView{};
}

}  // namespace platform
