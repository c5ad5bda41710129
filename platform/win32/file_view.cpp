#include "platform/file_view.h"

#include "platform/windows_api.h"

namespace platform {
namespace {

NativeHandle FromHandle(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}
HANDLE ToHandle(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool OpenFileView(const std::string& path, FileView& view) {
    view = FileView{};
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || file == nullptr) {
        return false;
    }
    // A pipe or a device is no file to read.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return false;
    }
    LARGE_INTEGER length;
    // A file of length zero cannot be mapped; one larger than the address space neither.
    if (!::GetFileSizeEx(file, &length) || length.QuadPart <= 0 ||
        static_cast<unsigned long long>(length.QuadPart) > static_cast<SIZE_T>(-1)) {
        ::CloseHandle(file);
        return false;
    }
    const auto size = static_cast<std::uint64_t>(length.QuadPart);
    HANDLE mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, static_cast<DWORD>(size >> 32),
                                          static_cast<DWORD>(size & 0xFFFFFFFFu), nullptr);
    if (mapping == nullptr) {
        ::CloseHandle(file);
        return false;
    }
    const void* address = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
    if (address == nullptr) {
        ::CloseHandle(mapping);
        ::CloseHandle(file);
        return false;
    }
    view.file = FromHandle(file);
    view.mapping = FromHandle(mapping);
    view.data = static_cast<const std::uint8_t*>(address);
    view.size = size;
    return true;
}

void CloseFileView(FileView& view) {
    if (view.data != nullptr) {
        ::UnmapViewOfFile(view.data);
    }
    if (view.mapping != 0) {
        ::CloseHandle(ToHandle(view.mapping));
    }
    if (view.file != 0) {
        ::CloseHandle(ToHandle(view.file));
    }
    view = FileView{};
}

}  // namespace platform
