#include "import/import_summary.h"

#include <cinttypes>
#include <cstdio>

namespace zenthor {

std::string FormatImportSummary(int objectCount, std::int64_t polygonTotal) {
    char buffer[512] = {};
    std::snprintf(buffer, sizeof buffer,
                  "Imported OK!\nImported objects : %02d\nTotal polygons count : %" PRId64
                  "\n===============================\nThanks to Marlow, Tessaly",
                  objectCount, polygonTotal);
    return buffer;
}

}  // namespace zenthor
