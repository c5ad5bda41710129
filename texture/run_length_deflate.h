// A zlib stream of bytes coded as literals and runs: a run repeats the byte before it (a
// deflate match at distance 1), as long rows of one value give after PNG's row filters.
// No other repeated strings are searched; on filtered texture rows that costs little size
// and saves most of the time. Each block gets Huffman codes made for its own bytes, or is
// stored when that is smaller, so no input grows by more than a few bytes per block.
//
// The stream is made in two passes over the same blocks, so that it can be written
// straight into its final place: planning learns each block's codes and the stream's exact
// size, writing codes the blocks into memory of that size.
//
//   RunLengthDeflater deflater;
//   for each block: deflater.Plan(block);
//   std::vector<std::uint8_t> stream(deflater.StreamSize());
//   deflater.StartWriting(stream);
//   for each block again: deflater.Write(block);
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zenthor {

class RunLengthDeflater {
public:
    RunLengthDeflater();
    ~RunLengthDeflater();
    RunLengthDeflater(const RunLengthDeflater&) = delete;
    RunLengthDeflater& operator=(const RunLengthDeflater&) = delete;

    // The next block of the stream (several when stored). Runs are found within a block.
    void Plan(std::span<const std::uint8_t> bytes);

    // The size of the whole stream in bytes, the last block planned ending it.
    std::size_t StreamSize() const;

    // Writing goes to `out`, StreamSize() bytes.
    void StartWriting(std::span<std::uint8_t> out);

    // The planned blocks again, in order and with the same bytes; the last one also writes
    // the stream's checksum.
    void Write(std::span<const std::uint8_t> bytes);

private:
    struct BlockPlan;
    class BitWriter;

    std::vector<BlockPlan> m_plans;
    std::uint64_t m_plannedBits = 16;  // the zlib header's
    std::uint32_t m_adler = 1;         // of every byte planned

    std::span<std::uint8_t> m_out;
    std::size_t m_size = 0;     // whole bytes written to m_out
    std::uint64_t m_bits = 0;   // bits not yet in m_out, lowest first
    unsigned m_bitCount = 0;    // below 8 between blocks
    std::size_t m_written = 0;  // blocks
};

}  // namespace zenthor
