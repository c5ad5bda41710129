#include "platform/path_lookup.h"

#include "platform/windows_api.h"

#include <shlwapi.h>

namespace platform {

// Windows file names are matched without regard to case already.
std::string ResolvePath(const std::string& path) {
    return path;
}

bool FileExists(const std::string& path) {
    return ::PathFileExistsA(path.c_str()) != FALSE;
}

struct ListingMemo::Listings {};
ListingMemo::ListingMemo() : m_outer(nullptr) {}
ListingMemo::~ListingMemo() = default;

std::string DisplayPath(const std::string& path) {
    return path;
}

}  // namespace platform
