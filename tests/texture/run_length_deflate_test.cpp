// RunLengthDeflater's streams inflated by zlib, which checks their codes and checksum.
#include "texture/run_length_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <string>
#include <vector>

namespace zenthor {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Inflated by zlib, which must read the whole stream and find the checksum right.
Bytes Inflate(const Bytes& stream, std::size_t size) {
    Bytes out(size + 1);  // one byte more: a stream that says more than it should fails
    uLongf length = out.size();
    uLong read = stream.size();
    EXPECT_EQ(uncompress2(out.data(), &length, stream.data(), &read), Z_OK);
    EXPECT_EQ(read, stream.size()) << "bytes after the stream's end";
    out.resize(length);
    return out;
}

// `bytes` deflated in blocks of `blocks` sizes, the last block taking the rest.
Bytes Deflate(const Bytes& bytes, const std::vector<std::size_t>& blocks) {
    std::vector<std::span<const std::uint8_t>> spans;
    std::size_t done = 0;
    for (const std::size_t size : blocks) {
        spans.emplace_back(bytes.data() + done, size);
        done += size;
    }
    spans.emplace_back(bytes.data() + done, bytes.size() - done);
    RunLengthDeflater deflater;
    for (const auto& span : spans) {
        deflater.Plan(span);
    }
    Bytes stream(deflater.StreamSize());
    deflater.StartWriting(stream);
    for (const auto& span : spans) {
        deflater.Write(span);
    }
    return stream;
}

Bytes Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// Runs of every length from 1 to 600 (matches cut at 258 leave 0 to 2 bytes, and runs
// shorter than a word may or may not be found), each of a value unlike its neighbours.
Bytes RunsOfEveryLength() {
    Bytes bytes;
    for (std::size_t length = 1; length <= 600; ++length) {
        bytes.insert(bytes.end(), length, static_cast<std::uint8_t>(length % 251));
    }
    return bytes;
}

// Filtered-row-like bytes: small values, mostly near zero, with runs of zeros.
Bytes SmallValuesAndZeros(std::size_t size) {
    std::mt19937 random(7);
    std::geometric_distribution<int> small(0.3);
    Bytes bytes;
    while (bytes.size() < size) {
        if (random() % 50 == 0) {
            bytes.insert(bytes.end(), random() % 300, 0);
        } else {
            bytes.push_back(static_cast<std::uint8_t>(random() % 2 ? small(random) : -small(random)));
        }
    }
    bytes.resize(size);
    return bytes;
}

// Bytes 0 to 7 twice each, in a row, then bytes 8 to 21 shuffled, each twice as frequent
// as the one before: the first 16 bytes get 15-bit codes.
Bytes SkewedBytes() {
    Bytes bytes;
    for (int twice = 0; twice < 2; ++twice) {
        for (std::uint8_t value = 0; value < 8; ++value) {
            bytes.push_back(value);
        }
    }
    for (std::uint8_t value = 8; value < 22; ++value) {
        bytes.insert(bytes.end(), std::size_t{1} << (value - 5), value);
    }
    std::shuffle(bytes.begin() + 16, bytes.end(), std::mt19937(5));
    return bytes;
}

struct Case {
    const char* name;
    Bytes bytes;
    std::vector<std::size_t> blocks;  // sizes; the last takes the rest
};

TEST(RunLengthDeflater, WritesZlibStreamsThatInflateToTheBytes) {
    const Case cases[] = {
        {"nothing", {}, {}},
        {"one byte", {42}, {}},
        {"one value, several blocks", Bytes(300000, 9), {1, 7, 100000}},
        {"runs of every length", RunsOfEveryLength(), {}},
        {"runs of every length, blocks cutting runs", RunsOfEveryLength(), {1000, 1001, 258, 3}},
        {"noise: stored blocks, one longer than a stored block can be", Noise(200000, 1), {5, 65535, 65536}},
        {"noise and runs",
         [] {
             Bytes bytes = Noise(100000, 2);
             const Bytes runs = RunsOfEveryLength();
             bytes.insert(bytes.begin() + 5000, runs.begin(), runs.end());
             return bytes;
         }(),
         {40000}},
        {"small values", SmallValuesAndZeros(1 << 20), {256 * 1024, 256 * 1024, 256 * 1024}},
        {"longest codes in a row", SkewedBytes(), {}},
        {"an empty block among others", Bytes(1000, 3), {0, 500, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes stream = Deflate(c.bytes, c.blocks);
        EXPECT_EQ(Inflate(stream, c.bytes.size()), c.bytes);
        // No block grows by more than a stored block's framing per 64 KiB.
        EXPECT_LE(stream.size(), c.bytes.size() + 6 + 6 * (c.blocks.size() + 1 + c.bytes.size() / 65535));
    }
}

TEST(RunLengthDeflater, CodesRunsAsMatchesAndSmallValuesInFewBits) {
    const struct {
        const char* name;
        Bytes bytes;
        std::size_t atMost;
    } cases[] = {
        {"1 MiB of one value", Bytes(1 << 20, 200), 1 << 12},
        {"small values", SmallValuesAndZeros(1 << 20), (1 << 20) / 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LE(Deflate(c.bytes, {}).size(), c.atMost);
    }
}

}  // namespace
}  // namespace zenthor
