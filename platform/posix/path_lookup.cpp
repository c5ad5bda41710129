#include "platform/path_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

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

}  // namespace

struct ListingMemo::Listings {
    // folder -> its entries, or nothing for a folder that could not be read
    std::unordered_map<std::string, std::optional<std::vector<std::string>>> folders;
};

namespace {

// The listings of the innermost ListingMemo alive on this thread.
thread_local ListingMemo::Listings* kept = nullptr;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        entries.emplace_back(entry->d_name);
    }
    return entries;
}

// The entry of `folder` that equals `name` ignoring case; the first in byte order wins.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
    std::optional<std::vector<std::string>> listed;
    const std::optional<std::vector<std::string>>* entries = &listed;
    if (kept == nullptr) {
        listed = ListFolder(folder);
    } else {
        auto [known, fresh] = kept->folders.try_emplace(folder);
        if (fresh) {
            try {
                known->second = ListFolder(folder);
            } catch (...) {
                kept->folders.erase(known);  // not kept as unreadable
                throw;
            }
        }
        entries = &known->second;
    }
    if (!entries->has_value()) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    for (const std::string& candidate : **entries) {
        if (EqualIgnoringAsciiCase(candidate, name) && (!best || candidate < *best)) {
            best = candidate;
        }
    }
    return best;
}

// The path found for `slashed` (a path with '/' separators), and whether it exists.
std::string Resolve(std::string slashed, bool& exists) {
    exists = !slashed.empty() && Exists(slashed);
    if (exists || slashed.empty()) {
        return slashed;
    }
    // Most misses are a file that is not there in a folder that is: then only the folder's
    // entries need a look, not every folder from the root down.
    // (A path with an empty component takes the walk below, which drops it.)
    if (const std::size_t slash = slashed.find_last_of('/');
        slash != std::string::npos && slash > 0 && slash + 1 < slashed.size() &&
        slashed.find("//") == std::string::npos) {
        const std::string folder = slashed.substr(0, slash);
        if (Exists(folder)) {
            const std::optional<std::string> match =
                FindEntryIgnoringCase(folder, std::string_view(slashed).substr(slash + 1));
            exists = match.has_value();
            return match ? folder + '/' + *match : slashed;
        }
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
    exists = found && Exists(resolved);
    return resolved;
}

std::string Slashed(const std::string& path) {
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return slashed;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
    bool exists = false;
    return Resolve(Slashed(path), exists);
}

bool FileExists(const std::string& path) {
    bool exists = false;
    const std::string resolved = Resolve(Slashed(path), exists);
    struct stat info;
    return exists && ::stat(resolved.c_str(), &info) == 0 && (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode));
}

ListingMemo::ListingMemo() : m_listings(std::make_unique<Listings>()), m_outer(kept) {
    kept = m_listings.get();
}

ListingMemo::~ListingMemo() {
    kept = m_outer;
}

std::string DisplayPath(const std::string& path) {
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return shown;
}

}  // namespace platform
