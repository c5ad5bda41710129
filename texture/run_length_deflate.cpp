#include "texture/run_length_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "texture/huffman_code.h"

namespace zenthor {
namespace {

constexpr std::size_t kLiteralLengthSymbols = 286;  // literals, end of block, 29 lengths
constexpr std::size_t kEndOfBlock = 256;
constexpr std::size_t kFirstLengthSymbol = 257;
// Distance 1 is code 0; code 1 is never used but gets a length too, so that the distance
// code is complete.
constexpr std::size_t kDistanceSymbols = 2;
constexpr std::size_t kCodeLengthSymbols = 19;
constexpr int kLongestCode = 15;
constexpr int kLongestCodeLengthCode = 7;
constexpr std::size_t kShortestMatch = 3;
constexpr std::size_t kLongestMatch = 258;
// Shorter runs cost about as much as their literals.
constexpr std::size_t kShortestRun = 8;
constexpr std::size_t kLongestStored = 65535;
constexpr std::size_t kWordBytes = 8;  // runs are looked for a word at a time
constexpr std::uint64_t kEveryByte = 0x0101010101010101;

// The length symbols' first lengths and extra bits.
constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                    15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                    67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// The length symbol (0 for the first) of each match length.
constexpr std::array<std::uint8_t, kLongestMatch + 1> kLengthSymbol = [] {
    std::array<std::uint8_t, kLongestMatch + 1> symbols{};
    for (std::size_t symbol = 0; symbol + 1 < kLengthBase.size(); ++symbol) {
        for (std::size_t length = kLengthBase[symbol]; length < kLengthBase[symbol + 1]; ++length) {
            symbols[length] = static_cast<std::uint8_t>(symbol);
        }
    }
    symbols[kLongestMatch] = kLengthBase.size() - 1;
    return symbols;
}();

// The order in which a block header gives the code lengths of the code-length code.
constexpr std::array<std::uint8_t, kCodeLengthSymbols> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

std::uint64_t Load64(const std::uint8_t* bytes) {
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Splits `bytes` into literals and runs, calling literals(first, end) for byte ranges and
// run(length) for matches at distance 1, in order. A run is found through an 8-byte word
// (at a multiple of 8 from the start) of one value, so every run of 16 bytes or more is
// found and the scan costs one comparison per word.
template <class Literals, class Run>
void ForEachToken(std::span<const std::uint8_t> bytes, Literals&& literals, Run&& run) {
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t done = 0;  // bytes given to literals or run so far
    for (std::size_t word = kWordBytes; word + kWordBytes <= size; word += kWordBytes) {
        const std::uint64_t value = Load64(data + word);
        if (value != (value & 0xFF) * kEveryByte) {
            continue;
        }
        // The equal bytes around the word: the first is a literal, the rest repeat it.
        std::size_t first = word;
        while (first > done && data[first - 1] == data[word]) {
            --first;
        }
        std::size_t end = word + kWordBytes;
        while (end + kWordBytes <= size && Load64(data + end) == value) {
            end += kWordBytes;
        }
        while (end < size && data[end] == data[word]) {
            ++end;
        }
        std::size_t repeats = end - first - 1;
        if (repeats < kShortestRun) {
            continue;
        }
        literals(done, first + 1);
        for (; repeats >= kShortestMatch; repeats -= std::min(repeats, kLongestMatch)) {
            run(std::min(repeats, kLongestMatch));
        }
        done = end - repeats;  // one or two repeats left are literals
        word = (done + kWordBytes - 1) / kWordBytes * kWordBytes - kWordBytes;
    }
    literals(done, size);
}

// A literal/length code entry for the hot loop: the bits in the low half, their count above.
std::uint32_t Entry(std::uint16_t code, std::uint8_t length) {
    return code | std::uint32_t{length} << 16;
}

// One block's codes: literal/length, distance and the code-length code, with the header's
// code lengths as code-length symbols (extra bits in the high byte).
struct BlockCodes {
    std::array<std::uint8_t, kLiteralLengthSymbols> literalLengths{};
    std::array<std::uint16_t, kLiteralLengthSymbols> literalCodes{};
    std::array<std::uint8_t, kDistanceSymbols> distanceLengths{1, 1};
    std::array<std::uint16_t, kDistanceSymbols> distanceCodes{};
    std::array<std::uint8_t, kCodeLengthSymbols> codeLengthLengths{};
    std::array<std::uint16_t, kCodeLengthSymbols> codeLengthCodes{};
    std::vector<std::uint16_t> header;   // code-length symbol | extra bits << 8
    std::size_t literalLengthCount = 0;  // HLIT + 257
    std::size_t codeLengthCount = 0;     // HCLEN + 4
};

int CodeLengthExtraBits(std::uint16_t symbol) {
    return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0;
}

// The code lengths of both codes as code-length symbols: runs of zeros as 17 and 18, and
// repeats of the length before as 16.
std::vector<std::uint16_t> CodeLengthSymbols(const std::vector<std::uint8_t>& lengths) {
    std::vector<std::uint16_t> symbols;
    for (std::size_t i = 0; i < lengths.size();) {
        const std::uint8_t length = lengths[i];
        std::size_t same = 1;
        while (i + same < lengths.size() && lengths[i + same] == length) {
            ++same;
        }
        i += same;
        if (length == 0) {
            for (; same >= 11; same -= std::min<std::size_t>(same, 138)) {
                symbols.push_back(
                    static_cast<std::uint16_t>(18 | (std::min<std::size_t>(same, 138) - 11) << 8));
            }
            if (same >= 3) {
                symbols.push_back(static_cast<std::uint16_t>(17 | (same - 3) << 8));
                same = 0;
            }
        } else {
            symbols.push_back(length);
            for (--same; same >= 3; same -= std::min<std::size_t>(same, 6)) {
                symbols.push_back(static_cast<std::uint16_t>(16 | (std::min<std::size_t>(same, 6) - 3) << 8));
            }
        }
        symbols.insert(symbols.end(), same, length);
    }
    return symbols;
}

// The codes for a block with these literal/length frequencies; returns the block's size
// in bits, header included.
std::uint64_t MakeCodes(const std::array<std::uint32_t, kLiteralLengthSymbols>& frequencies,
                        std::uint32_t runs, BlockCodes& codes) {
    HuffmanLengths(frequencies, kLongestCode, codes.literalLengths);
    HuffmanCodes(codes.literalLengths, codes.literalCodes);
    HuffmanCodes(codes.distanceLengths, codes.distanceCodes);
    codes.literalLengthCount = kLiteralLengthSymbols;
    while (codes.literalLengths[codes.literalLengthCount - 1] == 0) {
        --codes.literalLengthCount;
    }
    std::vector<std::uint8_t> lengths(codes.literalLengths.begin(),
                                      codes.literalLengths.begin() + codes.literalLengthCount);
    lengths.insert(lengths.end(), codes.distanceLengths.begin(), codes.distanceLengths.end());
    codes.header = CodeLengthSymbols(lengths);
    std::array<std::uint32_t, kCodeLengthSymbols> headerFrequencies{};
    for (const std::uint16_t symbol : codes.header) {
        ++headerFrequencies[symbol & 0xFF];
    }
    HuffmanLengths(headerFrequencies, kLongestCodeLengthCode, codes.codeLengthLengths);
    HuffmanCodes(codes.codeLengthLengths, codes.codeLengthCodes);
    codes.codeLengthCount = kCodeLengthSymbols;
    while (codes.codeLengthCount > 4 &&
           codes.codeLengthLengths[kCodeLengthOrder[codes.codeLengthCount - 1]] == 0) {
        --codes.codeLengthCount;
    }

    std::uint64_t bits = 3 + 5 + 5 + 4 + 3 * codes.codeLengthCount;
    for (const std::uint16_t symbol : codes.header) {
        bits += codes.codeLengthLengths[symbol & 0xFF] + CodeLengthExtraBits(symbol & 0xFF);
    }
    for (std::size_t symbol = 0; symbol < kLiteralLengthSymbols; ++symbol) {
        const std::uint64_t extra =
            symbol < kFirstLengthSymbol ? 0 : kLengthExtraBits[symbol - kFirstLengthSymbol];
        bits += std::uint64_t{frequencies[symbol]} * (codes.literalLengths[symbol] + extra);
    }
    return bits + std::uint64_t{runs} * codes.distanceLengths[0];
}

}  // namespace

// The deflater's bit state in locals while a block is written, so that the compiler keeps
// it in registers; written back when it goes.
class RunLengthDeflater::BitWriter {
public:
    explicit BitWriter(RunLengthDeflater& deflater)
        : m_deflater(deflater),
          m_out(deflater.m_out.data() + deflater.m_size),
          m_end(deflater.m_out.data() + deflater.m_out.size()),
          m_bits(deflater.m_bits),
          m_count(deflater.m_bitCount) {}
    ~BitWriter() {
        Flush();
        m_deflater.m_size = static_cast<std::size_t>(m_out - m_deflater.m_out.data());
        m_deflater.m_bits = m_bits;
        m_deflater.m_bitCount = m_count;
    }
    BitWriter(const BitWriter&) = delete;
    BitWriter& operator=(const BitWriter&) = delete;

    // Puts add up to at most 56 bits between flushes (a flush leaves at most 7).
    void Put(std::uint64_t bits, unsigned count) {
        m_bits |= bits << m_count;
        m_count += count;
    }
    // Moves the whole bytes out, leaving fewer than 8 bits.
    void Flush() {
        if (m_end - m_out >= static_cast<std::ptrdiff_t>(sizeof m_bits)) {
            std::memcpy(m_out, &m_bits, sizeof m_bits);  // bytes past the whole ones are written again
            m_out += m_count >> 3;
            m_bits >>= m_count & ~7u;
            m_count &= 7;
            return;
        }
        for (; m_count >= 8; m_count -= 8, m_bits >>= 8) {
            *m_out++ = static_cast<std::uint8_t>(m_bits);
        }
    }
    void PutAndFlush(std::uint64_t bits, unsigned count) {
        Put(bits, count);
        Flush();
    }
    // Pads to a whole byte and copies `bytes` after it.
    void PutBytes(const std::uint8_t* bytes, std::size_t size) {
        Flush();
        if (m_count > 0) {
            *m_out++ = static_cast<std::uint8_t>(m_bits);
            m_bits = 0;
            m_count = 0;
        }
        if (size > 0) {  // an empty stored block may come with no bytes at all
            std::memcpy(m_out, bytes, size);
            m_out += size;
        }
    }

    // Codes literals `perFlush` at a time: `perFlush` codes and the bits left from a flush
    // must fit in 64 bits.
    template <int perFlush>
    void PutLiterals(const std::uint8_t* literals, const std::uint8_t* end, const std::uint32_t* entries) {
        for (; end - literals >= perFlush; literals += perFlush) {
            for (int i = 0; i < perFlush; ++i) {
                const std::uint32_t entry = entries[literals[i]];
                Put(entry & 0xFFFF, entry >> 16);
            }
            Flush();
        }
        for (; literals < end; ++literals) {
            const std::uint32_t entry = entries[*literals];
            PutAndFlush(entry & 0xFFFF, entry >> 16);
        }
    }

private:
    RunLengthDeflater& m_deflater;
    std::uint8_t* m_out;
    std::uint8_t* const m_end;
    std::uint64_t m_bits;
    unsigned m_count;
};

namespace {

// The bits of `size` bytes stored from bit `at` on: per piece, the block type, padding to a
// whole byte, the length and its complement, then the bytes.
std::uint64_t StoredBits(std::uint64_t at, std::size_t size) {
    std::uint64_t end = at;
    std::size_t done = 0;
    do {
        const std::size_t piece = std::min(size - done, kLongestStored);
        end = (end + 3 + 7) / 8 * 8 + 32 + 8 * std::uint64_t{piece};
        done += piece;
    } while (done < size);
    return end - at;
}

}  // namespace

struct RunLengthDeflater::BlockPlan {
    bool stored = false;
    BlockCodes codes;  // when not stored
};

RunLengthDeflater::RunLengthDeflater() = default;
RunLengthDeflater::~RunLengthDeflater() = default;

void RunLengthDeflater::Plan(std::span<const std::uint8_t> bytes) {
    m_adler = libdeflate_adler32(m_adler, bytes.data(), bytes.size());

    // Four tables of literal counts, so that equal bytes in a row do not wait on each other.
    std::array<std::array<std::uint32_t, 256>, 4> literalCounts{};
    std::array<std::uint32_t, kLiteralLengthSymbols> frequencies{};
    std::uint32_t runs = 0;
    const std::uint8_t* data = bytes.data();
    ForEachToken(
        bytes,
        [&](std::size_t first, std::size_t end) {
            for (; first + 4 <= end; first += 4) {
                ++literalCounts[0][data[first]];
                ++literalCounts[1][data[first + 1]];
                ++literalCounts[2][data[first + 2]];
                ++literalCounts[3][data[first + 3]];
            }
            for (; first < end; ++first) {
                ++literalCounts[0][data[first]];
            }
        },
        [&](std::size_t length) {
            ++frequencies[kFirstLengthSymbol + kLengthSymbol[length]];
            ++runs;
        });
    for (std::size_t literal = 0; literal < 256; ++literal) {
        frequencies[literal] = literalCounts[0][literal] + literalCounts[1][literal] +
                               literalCounts[2][literal] + literalCounts[3][literal];
    }
    frequencies[kEndOfBlock] = 1;

    BlockPlan plan;
    const std::uint64_t codedBits = MakeCodes(frequencies, runs, plan.codes);
    const std::uint64_t storedBits = StoredBits(m_plannedBits, bytes.size());
    plan.stored = storedBits <= codedBits;
    if (plan.stored) {
        plan.codes = {};
    }
    m_plannedBits += plan.stored ? storedBits : codedBits;
    m_plans.push_back(std::move(plan));
}

std::size_t RunLengthDeflater::StreamSize() const {
    return (m_plannedBits + 7) / 8 + 4;
}

void RunLengthDeflater::StartWriting(std::span<std::uint8_t> out) {
    m_out = out;
    // The zlib header: deflate with a 32 KiB window, fastest level, and its check bits.
    m_out[0] = 0x78;
    m_out[1] = 0x01;
    m_size = 2;
    m_bits = 0;
    m_bitCount = 0;
    m_written = 0;
}

void RunLengthDeflater::Write(std::span<const std::uint8_t> bytes) {
    const BlockPlan& plan = m_plans[m_written++];
    const bool last = m_written == m_plans.size();
    BitWriter writer(*this);
    if (plan.stored) {
        std::size_t done = 0;
        do {
            const std::size_t size = std::min(bytes.size() - done, kLongestStored);
            writer.PutAndFlush(last && done + size == bytes.size() ? 1 : 0, 1);
            writer.PutAndFlush(0, 2);  // stored
            const std::uint8_t lengths[4] = {
                static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                static_cast<std::uint8_t>(~size), static_cast<std::uint8_t>(~size >> 8)};
            writer.PutBytes(lengths, sizeof lengths);
            writer.PutBytes(bytes.data() + done, size);
            done += size;
        } while (done < bytes.size());
    } else {
        const BlockCodes& codes = plan.codes;
        writer.PutAndFlush(last ? 1 : 0, 1);
        writer.PutAndFlush(2, 2);  // Huffman codes of the block's own
        writer.PutAndFlush(codes.literalLengthCount - 257, 5);
        writer.PutAndFlush(kDistanceSymbols - 1, 5);
        writer.PutAndFlush(codes.codeLengthCount - 4, 4);
        for (std::size_t i = 0; i < codes.codeLengthCount; ++i) {
            writer.PutAndFlush(codes.codeLengthLengths[kCodeLengthOrder[i]], 3);
        }
        for (const std::uint16_t symbol : codes.header) {
            const std::uint8_t code = symbol & 0xFF;
            writer.PutAndFlush(codes.codeLengthCodes[code], codes.codeLengthLengths[code]);
            writer.PutAndFlush(symbol >> 8, CodeLengthExtraBits(code));
        }

        std::array<std::uint32_t, 256> literalEntries;
        for (std::size_t literal = 0; literal < 256; ++literal) {
            literalEntries[literal] = Entry(codes.literalCodes[literal], codes.literalLengths[literal]);
        }
        const int longest =
            *std::max_element(codes.literalLengths.begin(), codes.literalLengths.begin() + 256);
        const std::uint8_t* data = bytes.data();
        // A run's length code, its extra bits and the distance code, as one put of at most 21 bits.
        auto putRun = [&](std::size_t length) {
            const std::size_t symbol = kLengthSymbol[length];
            const std::uint8_t codeLength = codes.literalLengths[kFirstLengthSymbol + symbol];
            const std::uint8_t extraBits = kLengthExtraBits[symbol];
            const std::uint64_t bits = codes.literalCodes[kFirstLengthSymbol + symbol] |
                                       std::uint64_t{length - kLengthBase[symbol]} << codeLength |
                                       std::uint64_t{codes.distanceCodes[0]} << (codeLength + extraBits);
            writer.PutAndFlush(bits, codeLength + extraBits + codes.distanceLengths[0]);
        };
        auto putLiterals = [&](std::size_t first, std::size_t end) {
            // Four codes of up to 14 bits fit with the 7 bits a flush may leave; 15-bit codes, three.
            if (longest <= 14) {
                writer.PutLiterals<4>(data + first, data + end, literalEntries.data());
            } else {
                writer.PutLiterals<3>(data + first, data + end, literalEntries.data());
            }
        };
        ForEachToken(bytes, putLiterals, putRun);
        writer.PutAndFlush(codes.literalCodes[kEndOfBlock], codes.literalLengths[kEndOfBlock]);
    }
    if (last) {
        const std::uint8_t adler[4] = {
            static_cast<std::uint8_t>(m_adler >> 24), static_cast<std::uint8_t>(m_adler >> 16),
            static_cast<std::uint8_t>(m_adler >> 8), static_cast<std::uint8_t>(m_adler)};
        writer.PutBytes(adler, sizeof adler);
    }
}

}  // namespace zenthor
