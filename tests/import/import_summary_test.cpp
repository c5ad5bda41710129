#include "import/import_summary.h"

#include <gtest/gtest.h>

namespace zenthor {
namespace {

TEST(ImportSummary, CountsPrintInFullWhateverTheirSize) {
    struct Case {
        int objects;
        std::int64_t polygons;
        const char* countLine;
        const char* totalLine;
    };
    const Case cases[] = {
        {7, 345, "Imported objects : 07\n", "Total polygons count : 345\n"},
        {123, 1, "Imported objects : 123\n", "Total polygons count : 1\n"},
        // More triangles than a 32-bit int holds: the true total, not a wrapped one.
        {2, 3'000'000'000, "Imported objects : 02\n", "Total polygons count : 3000000000\n"},
    };
    for (const Case& c : cases) {
        const std::string text = FormatImportSummary(c.objects, c.polygons);
        EXPECT_EQ(text, std::string("Imported OK!\n") + c.countLine + c.totalLine +
                            "===============================\nThanks to Marlow, Tessaly");
    }
}

}  // namespace
}  // namespace zenthor
