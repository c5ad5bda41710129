#include "platform/path_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <string_view>

namespace platform {
namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
        return lower(x) == lower(y);
    });
}

// The entry of `folder` that equals `name` ignoring case; the first in byte order wins.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view candidate(entry->d_name);
        if (EqualIgnoringAsciiCase(candidate, name) && (!best || candidate < *best)) {
            best = std::string(candidate);
        }
    }
    ::closedir(dir);
    return best;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (slashed.empty() || Exists(slashed)) {
        return slashed;
    }

    // Walk the components; once one matches nothing, the rest are kept as written.
    std::string resolved = slashed.front() == '/' ? "/" : "";
    bool found = true;
    std::size_t start = 0;
    while (start <= slashed.size()) {
        std::size_t end = slashed.find('/', start);
        if (end == std::string::npos) {
            end = slashed.size();
        }
        std::string_view component(slashed.data() + start, end - start);
        if (!component.empty()) {
            if (!resolved.empty() && resolved.back() != '/') {
                resolved += '/';
            }
            std::optional<std::string> match;
            if (found && component != "." && component != ".." &&
                !Exists(resolved + std::string(component))) {
                match = FindEntryIgnoringCase(resolved, component);
                found = match.has_value();
            }
            resolved += match ? *match : std::string(component);
        }
        start = end + 1;
    }
    if (slashed.back() == '/' && !resolved.empty() && resolved.back() != '/') {
        resolved += '/';
    }
    return resolved;
}

bool FileExists(const std::string& path) {
    return Exists(ResolvePath(path));
}

std::string DisplayPath(const std::string& path) {
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return shown;
}

}  // namespace platform
