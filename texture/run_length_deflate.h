// A zlib stream of bytes coded as literals and runs: a run repeats the byte before it (a
// deflate match at distance 1), as long rows of one value give after PNG's row filters.
// No other repeated strings are searched; on filtered texture rows that costs little size
// and saves most of the time. Each block gets Huffman codes made for its own bytes, or is
// stored when that is smaller, so no input grows by more than a few bytes per block.
//
//   RunLengthDeflater deflater(totalBytes, largestBlock);
//   deflater.AddBlock(first, false); ... deflater.AddBlock(last, true);
//   std::span<const std::uint8_t> zlib = deflater.Finish();
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace zenthor {

class RunLengthDeflater {
public:
    // Room for `totalBytes` given in blocks of `blockBytes` is taken at once; other
    // blocks take more as they need it. Allocation failures throw std::bad_alloc.
    RunLengthDeflater(std::size_t totalBytes, std::size_t blockBytes);

    // The next bytes of the stream as one block (several when stored); `last` ends the
    // stream. Runs are found within a block only.
    void AddBlock(std::span<const std::uint8_t> bytes, bool last);

    // The whole zlib stream, once the last block is in; valid while the deflater lives.
    std::span<const std::uint8_t> Finish();

private:
    class BitWriter;

    void Reserve(std::size_t bytes);
    void AddStored(std::span<const std::uint8_t> bytes, bool last);

    std::unique_ptr<std::uint8_t[]> m_out;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;     // whole bytes written to m_out
    std::uint64_t m_bits = 0;   // bits not yet in m_out, lowest first
    unsigned m_bitCount = 0;    // below 8 between blocks
    std::uint32_t m_adler = 1;  // of every byte given so far
};

}  // namespace zenthor
