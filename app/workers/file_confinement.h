// What a browse worker may open, enforced by the kernel (Landlock): below the content tree
// for reading, below the cache folder for reading and writing, and its own /proc entries.
// The check is made at each open, on the file the path leads to, so a link swapped into
// the tree at any moment cannot lead an import out of it: that open fails with EACCES.
#pragma once

#include <filesystem>
#include <string>

namespace zenthor {

enum class Confinement {
    Enforced,     // every open from now on is held to the folders
    Unavailable,  // the kernel offers no Landlock (older than 5.13, or turned off)
    Failed,       // the kernel offers it, but a step failed (the error says which)
};

// The Landlock ABI version the running kernel offers; 0 when it offers none.
int LandlockAbi();

// Holds the calling thread, and every thread and process it starts from now on, to reading
// below `readable` and reading and writing below `writable` (both existing folders).
// Anything else it opens by path fails, its own /proc entries apart; descriptors already
// open stay usable. Call before starting other threads.
Confinement ConfineFileAccess(const std::filesystem::path& readable, const std::filesystem::path& writable,
                              std::string& error);

}  // namespace zenthor
