#include "texture/huffman_code.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zenthor {
namespace {

struct Case {
    const char* name;
    std::vector<std::uint32_t> frequencies;
    int maxLength;
};

// Frequencies that make an unlimited Huffman tree as deep as there are symbols.
std::vector<std::uint32_t> Fibonacci(std::size_t count) {
    std::vector<std::uint32_t> frequencies{1, 1};
    while (frequencies.size() < count) {
        frequencies.push_back(frequencies[frequencies.size() - 1] + frequencies[frequencies.size() - 2]);
    }
    return frequencies;
}

TEST(HuffmanLengths, GiveCompleteCodesWithinTheLimitShorterForMoreFrequentSymbols) {
    std::vector<std::uint32_t> withUnused(286, 0);
    withUnused[7] = 1000;
    withUnused[256] = 1;
    withUnused[270] = 3;
    const Case cases[] = {
        {"none used", std::vector<std::uint32_t>(19, 0), 7},
        {"one used", {0, 0, 5, 0}, 7},
        {"only the first used", {9, 0, 0}, 7},
        {"some unused", withUnused, 15},
        {"even", std::vector<std::uint32_t>(256, 4), 15},
        {"deep tree cut to 15", Fibonacci(30), 15},
        {"deep tree cut to 7", Fibonacci(19), 7},
        {"every length at the limit", std::vector<std::uint32_t>(128, 1), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> lengths(c.frequencies.size(), 99);
        HuffmanLengths(c.frequencies, c.maxLength, lengths);
        // The sum of 2^-length over the used symbols is exactly 1, in units of 2^-maxLength.
        std::uint64_t kraft = 0;
        std::size_t used = 0;
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            ASSERT_LE(lengths[symbol], c.maxLength) << symbol;
            if (c.frequencies[symbol] != 0) {
                ASSERT_GT(lengths[symbol], 0) << symbol;
            }
            if (lengths[symbol] != 0) {
                kraft += std::uint64_t{1} << (c.maxLength - lengths[symbol]);
                ++used;
            }
            for (std::size_t other = 0; other < lengths.size(); ++other) {
                if (c.frequencies[other] != 0 && c.frequencies[other] < c.frequencies[symbol]) {
                    ASSERT_LE(lengths[symbol], lengths[other]) << symbol << " against " << other;
                }
            }
        }
        EXPECT_EQ(kraft, std::uint64_t{1} << c.maxLength);
        EXPECT_GE(used, 2u);
    }
}

TEST(HuffmanLengths, AreOptimalWithinTheLimit) {
    // The least sum of frequency times length for 10 Fibonacci frequencies (an unlimited
    // tree is 9 deep), found by trying every set of lengths.
    const std::vector<std::uint32_t> frequencies = Fibonacci(10);
    for (const auto& [maxLength, cost] : {std::pair{15, 363u}, {6, 366u}, {5, 367u}, {4, 394u}}) {
        std::vector<std::uint8_t> lengths(frequencies.size());
        HuffmanLengths(frequencies, maxLength, lengths);
        std::uint32_t sum = 0;
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            sum += frequencies[symbol] * lengths[symbol];
        }
        EXPECT_EQ(sum, cost) << "limit " << maxLength;
    }
}

}  // namespace
}  // namespace zenthor
