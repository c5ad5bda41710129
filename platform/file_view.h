// A read-only view of a whole file, mapped into memory (or, where that is cheaper, read)
// once and released once.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// An operating-system handle held as a plain number; 0 always means "none".
using NativeHandle = std::uintptr_t;

struct FileView {
    NativeHandle file = 0;     // the open file
    NativeHandle mapping = 0;  // the read-only mapping object of that file
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
};

// Opens an existing file for reading (others may keep reading or writing it) and maps all
// of it read-only. `path` is written with backslashes as the content files write it; see
// path_lookup.h for how it is found on a case-sensitive file system. A missing file, a
// file of length zero and any failing step give false, with every handle that an earlier
// step obtained closed again and `view` left empty.
bool OpenFileView(const std::string& path, FileView& view);

// Unmaps the view, then closes the mapping and the file, and leaves `view` empty. Does
// nothing on an empty view.
void CloseFileView(FileView& view);

}  // namespace platform
