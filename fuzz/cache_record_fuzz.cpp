// Fuzz target: the record a browse cache folder keeps (meta.json), which a damaged disk or
// another program may have changed. Whatever the bytes, reading never throws, a record it
// accepts names only files inside its folder, and writing that record and reading it back
// gives the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/browse/cache_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<zenthor::CacheRecord> record = zenthor::ParseCacheRecord(text);
    if (!record) {
        return 0;
    }
    for (const auto& [name, bytes] : record->files) {
        if (name.empty() || name == "." || name == ".." || name.find('/') != name.npos ||
            name.find('\0') != name.npos) {
            std::abort();
        }
    }
    if (zenthor::ParseCacheRecord(zenthor::FormatCacheRecord(*record)) != record) {
        std::abort();
    }
    return 0;
}
