#include "app/browse/cache_usage.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

namespace zenthor {
namespace {

namespace fs = std::filesystem;

std::uint64_t BytesBelow(const fs::path& folder) {
    std::uint64_t bytes = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const std::uintmax_t size = it->file_size(sizeError);
            bytes += sizeError ? 0 : size;
        }
    }
    return bytes;
}

}  // namespace

CacheUsage::CacheUsage(fs::path cache, std::uint64_t bound) : m_cache(std::move(cache)), m_bound(bound) {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(m_cache, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code entryError;
        if (IsResultFolder(name) && it->is_directory(entryError)) {
            found.emplace_back(it->last_write_time(entryError), name);
        }
    }
    std::sort(found.begin(), found.end());
    for (const auto& [time, name] : found) {
        const std::uint64_t bytes = BytesBelow(m_cache / name);
        m_folders[name] = {bytes, ++m_clock};
        m_total += bytes;
    }
}

bool CacheUsage::IsResultFolder(std::string_view name) {
    return name.size() == 16 && name.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

void CacheUsage::Used(const std::string& name) {
    {
        std::lock_guard lock(m_mutex);
        const auto folder = m_folders.find(name);
        if (folder == m_folders.end()) {
            return;
        }
        folder->second.lastUse = ++m_clock;
    }
    std::error_code ignored;
    fs::last_write_time(m_cache / name, fs::file_time_type::clock::now(), ignored);
}

void CacheUsage::Holds(const std::string& name) {
    const std::uint64_t bytes = BytesBelow(m_cache / name);
    std::lock_guard lock(m_mutex);
    Folder& held = m_folders[name];
    m_total = m_total - held.bytes + bytes;
    held = {bytes, ++m_clock};
    while (m_total > m_bound) {
        auto oldest = m_folders.end();
        for (auto it = m_folders.begin(); it != m_folders.end(); ++it) {
            if (it->first != name && (oldest == m_folders.end() || it->second.lastUse < oldest->second.lastUse)) {
                oldest = it;
            }
        }
        if (oldest == m_folders.end()) {
            break;
        }
        // Removed under the lock, so a folder being made again (Forget first) is not
        // removed while it is written.
        std::error_code ignored;
        fs::remove_all(m_cache / oldest->first, ignored);
        m_total -= oldest->second.bytes;
        m_folders.erase(oldest);
    }
}

void CacheUsage::Forget(const std::string& name) {
    std::lock_guard lock(m_mutex);
    const auto folder = m_folders.find(name);
    if (folder != m_folders.end()) {
        m_total -= folder->second.bytes;
        m_folders.erase(folder);
    }
}

std::uint64_t CacheUsage::Total() const {
    std::lock_guard lock(m_mutex);
    return m_total;
}

}  // namespace zenthor
