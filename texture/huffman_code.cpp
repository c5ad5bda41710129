#include "texture/huffman_code.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <numeric>
#include <vector>

namespace zenthor {
namespace {

constexpr int kLongestCode = 15;  // deflate's

// How many leaves an optimal (unlimited) Huffman tree puts at each depth, for frequencies
// sorted ascending. Two queues, leaves and merged nodes, both come out in ascending weight.
std::vector<std::uint32_t> LeafDepthCounts(const std::vector<std::uint32_t>& sorted) {
    const std::size_t leaves = sorted.size();
    std::vector<std::uint64_t> weight(leaves);
    std::vector<std::size_t> parent(2 * leaves - 1);  // nodes: leaves first, then merged
    std::size_t nextLeaf = 0, nextMerged = 0, merged = 0;
    auto takeSmallest = [&]() -> std::size_t {
        if (nextLeaf < leaves && (nextMerged == merged || sorted[nextLeaf] <= weight[nextMerged])) {
            return nextLeaf++;
        }
        return leaves + nextMerged++;
    };
    auto weightOf = [&](std::size_t node) -> std::uint64_t {
        return node < leaves ? sorted[node] : weight[node - leaves];
    };
    for (; merged < leaves - 1; ++merged) {
        const std::size_t a = takeSmallest();
        const std::size_t b = takeSmallest();
        weight[merged] = weightOf(a) + weightOf(b);
        parent[a] = parent[b] = leaves + merged;
    }
    // Depths from the root down: a merged node's parent was made after it.
    std::vector<std::uint32_t> depth(2 * leaves - 1, 0);
    std::vector<std::uint32_t> counts(leaves + 1, 0);
    for (std::size_t node = 2 * leaves - 2; node-- > 0;) {
        depth[node] = depth[parent[node]] + 1;
        if (node < leaves) {
            ++counts[depth[node]];
        }
    }
    return counts;
}

// Moves leaves up from depths beyond `maxLength` and keeps the code complete: two leaves
// at the deepest level become one leaf a level up and one leaf below a shallower leaf,
// which moves down with it (the sum of 2^-depth is unchanged).
void LimitDepths(std::vector<std::uint32_t>& counts, int maxLength) {
    for (std::size_t deepest = counts.size() - 1; deepest > static_cast<std::size_t>(maxLength); --deepest) {
        while (counts[deepest] > 0) {
            std::size_t shallower = deepest - 2;
            while (counts[shallower] == 0) {
                --shallower;
            }
            counts[deepest] -= 2;
            counts[deepest - 1] += 1;
            counts[shallower + 1] += 2;
            counts[shallower] -= 1;
        }
    }
    counts.resize(static_cast<std::size_t>(maxLength) + 1);
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
    std::vector<std::uint32_t> counts = LeafDepthCounts(sorted);
    LimitDepths(counts, maxLength);
    // The most frequent symbols take the shortest codes.
    auto symbol = used.rbegin();
    for (std::size_t length = 1; length < counts.size(); ++length) {
        for (std::uint32_t i = 0; i < counts[length]; ++i, ++symbol) {
            lengths[*symbol] = static_cast<std::uint8_t>(length);
        }
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
