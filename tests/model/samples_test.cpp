// The committed sample tree is exactly what the generator makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/sample_content.h"

namespace zenthor {
namespace {

const std::filesystem::path kSamples = std::filesystem::path(ZENTHOR_SOURCE_DIR) / "samples" / "content";

test::Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return test::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Samples, CommittedFilesMatchTheGenerator) {
    const auto expected = test::SampleContentFiles();
    std::size_t onDisk = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSamples)) {
        if (entry.is_regular_file()) {
            ++onDisk;
            const std::string relative = std::filesystem::relative(entry.path(), kSamples).generic_string();
            EXPECT_TRUE(expected.contains(relative)) << relative << " is not made by the generator";
        }
    }
    EXPECT_EQ(onDisk, expected.size());
    for (const auto& [relative, bytes] : expected) {
        EXPECT_EQ(ReadFile(kSamples / relative), bytes)
            << relative << " differs; regenerate with zenthor_make_samples samples/content";
    }
}

}  // namespace
}  // namespace zenthor
