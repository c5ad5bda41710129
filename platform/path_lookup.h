// Finding files named by paths that were composed for a case-insensitive file system
// with backslash separators.
#pragma once

#include <memory>
#include <string>

namespace platform {

// The path under which the operating system finds `path`. On Windows the path itself. On
// POSIX every `\` becomes `/`; when that path does not exist, each component is matched
// case-insensitively (ASCII) against the entries of its folder, so "meshes\Body.mesh"
// finds "meshes/body.mesh". When several entries match, the one that sorts first wins, so
// the answer does not depend on directory order. A component that matches nothing is kept
// as written.
std::string ResolvePath(const std::string& path);

// True when `path` names an existing regular file or folder, found as ResolvePath finds
// it; a FIFO, device or socket is no file to read.
bool FileExists(const std::string& path);

// While one is alive on a thread, the folder listings that lookups on that thread make
// are kept and reused: for one task (an import) that looks up many names in the same
// folders and may take the folders as unchanged while it runs. Names found exactly are
// still asked of the system each time. Where file names ignore case, it does nothing.
class ListingMemo {
public:
    ListingMemo();
    ~ListingMemo();
    ListingMemo(const ListingMemo&) = delete;
    ListingMemo& operator=(const ListingMemo&) = delete;

    struct Listings;  // the folders listed so far

private:
    std::unique_ptr<Listings> m_listings;
    Listings* m_outer;  // the memo that this one hides until it ends
};

// `path` as a person on this system writes it: on POSIX with `/` separators (the importer
// composes paths with `\`), on Windows as it is. Letter case is left alone.
std::string DisplayPath(const std::string& path);

}  // namespace platform
