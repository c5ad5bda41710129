#include "texture/huffman_code.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <numeric>
#include <vector>

namespace zenthor {
namespace {

constexpr int kLongestCode = 15;  // deflate's

// Optimal code lengths no longer than `maxLength` for frequencies sorted ascending, by
// package-merge: each level's list merges the leaves with pairs ("packages") of the list
// of the level below, by weight; the 2n - 2 lightest items of the top list are the code,
// and a leaf's length is how many levels take it. The items taken at each level are a
// prefix of its list, so only how many leaves each prefix holds is needed.
std::vector<std::uint8_t> PackageMergeLengths(const std::vector<std::uint32_t>& sorted, int maxLength) {
    const std::size_t leaves = sorted.size();
    std::vector<std::vector<bool>> isLeaf(static_cast<std::size_t>(maxLength));  // [0]: length 1
    std::vector<std::uint64_t> below(sorted.begin(), sorted.end());              // the deepest list: leaves
    isLeaf.back().assign(leaves, true);
    for (int level = maxLength - 2; level >= 0; --level) {
        std::vector<std::uint64_t> list;
        std::vector<bool>& leaf = isLeaf[static_cast<std::size_t>(level)];
        list.reserve(leaves + below.size() / 2);
        std::size_t nextLeaf = 0, nextPair = 0;
        while (nextLeaf < leaves || nextPair + 1 < below.size()) {
            const bool pairLeft = nextPair + 1 < below.size();
            const std::uint64_t pair = pairLeft ? below[nextPair] + below[nextPair + 1] : 0;
            if (nextLeaf < leaves && (!pairLeft || sorted[nextLeaf] <= pair)) {
                list.push_back(sorted[nextLeaf++]);
                leaf.push_back(true);
            } else {
                list.push_back(pair);
                leaf.push_back(false);
                nextPair += 2;
            }
        }
        below = std::move(list);
    }
    std::vector<std::uint8_t> lengths(leaves, 0);
    std::size_t taken = 2 * leaves - 2;
    for (const std::vector<bool>& leaf : isLeaf) {
        std::size_t leavesTaken = 0;
        for (std::size_t item = 0; item < taken; ++item) {
            leavesTaken += leaf[item] ? 1 : 0;
        }
        for (std::size_t i = 0; i < leavesTaken; ++i) {
            ++lengths[i];
        }
        taken = 2 * (taken - leavesTaken);
    }
    return lengths;
}

}  // namespace

void HuffmanLengths(std::span<const std::uint32_t> frequencies, int maxLength,
                    std::span<std::uint8_t> lengths) {
    std::fill(lengths.begin(), lengths.end(), 0);
    std::vector<std::uint16_t> used;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
        if (frequencies[symbol] != 0) {
            used.push_back(static_cast<std::uint16_t>(symbol));
        }
    }
    if (used.size() < 2) {
        const std::uint16_t other = !used.empty() && used[0] == 0 ? 1 : 0;
        lengths[other] = 1;
        lengths[used.empty() ? 1 - other : used[0]] = 1;
        return;
    }
    std::stable_sort(used.begin(), used.end(),
                     [&](std::uint16_t a, std::uint16_t b) { return frequencies[a] < frequencies[b]; });
    std::vector<std::uint32_t> sorted(used.size());
    std::transform(used.begin(), used.end(), sorted.begin(), [&](std::uint16_t s) { return frequencies[s]; });
    const std::vector<std::uint8_t> sortedLengths = PackageMergeLengths(sorted, maxLength);
    for (std::size_t i = 0; i < used.size(); ++i) {
        lengths[used[i]] = sortedLengths[i];
    }
}

void HuffmanCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
    std::array<std::uint32_t, kLongestCode + 1> count{};
    for (const std::uint8_t length : lengths) {
        ++count[length];
    }
    count[0] = 0;
    std::array<std::uint32_t, kLongestCode + 1> next{};
    for (int length = 1; length <= kLongestCode; ++length) {
        next[length] = (next[length - 1] + count[length - 1]) << 1;
    }
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const int length = lengths[symbol];
        if (length == 0) {
            codes[symbol] = 0;
            continue;
        }
        std::uint32_t code = next[length]++;
        std::uint32_t reversed = 0;
        for (int bit = 0; bit < length; ++bit, code >>= 1) {
            reversed = (reversed << 1) | (code & 1);
        }
        codes[symbol] = static_cast<std::uint16_t>(reversed);
    }
}

}  // namespace zenthor
