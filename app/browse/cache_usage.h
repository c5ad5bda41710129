// The space the results in a cache folder take, and when each was last used: past the
// bound, the results used longest ago are removed, a whole result folder at a time. Only
// folders named as results are counted or removed, since the cache folder may be one the
// user named that holds other things too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace zenthor {

class CacheUsage {
public:
    // Counts the result folders `cache` holds, each last used when it was last changed:
    // Used marks a folder changed, so the order holds across restarts.
    CacheUsage(std::filesystem::path cache, std::uint64_t bound);

    // A result folder's name: 16 lowercase hexadecimal digits.
    static bool IsResultFolder(std::string_view name);

    // The folder `name` was used now.
    void Used(const std::string& name);
    // The folder `name` holds a result now: it is measured, and the folders used longest
    // ago are removed until the total fits the bound. The folder itself stays, however
    // large it is.
    void Holds(const std::string& name);
    // The folder `name` is made again: it counts for nothing until Holds.
    void Forget(const std::string& name);

    std::uint64_t Total() const;

private:
    struct Folder {
        std::uint64_t bytes = 0;
        std::uint64_t lastUse = 0;  // the order of use: larger is later
    };

    std::filesystem::path m_cache;
    std::uint64_t m_bound;
    mutable std::mutex m_mutex;
    std::map<std::string, Folder> m_folders;
    std::uint64_t m_total = 0;
    std::uint64_t m_clock = 0;
};

}  // namespace zenthor
