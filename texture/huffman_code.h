// Prefix codes as deflate stores them: a code length per symbol (0 for a symbol not
// used), codes assigned in canonical order.
#pragma once

#include <cstdint>
#include <span>

namespace zenthor {

// The code lengths of an optimal prefix code for `frequencies`, none longer than
// `maxLength`, into `lengths` (the same size). Unused symbols get 0. The code is always
// complete, as deflate's decoders want: a single used symbol gets length 1 along with
// symbol 0 (or 1, when it is 0), and with none used symbols 0 and 1 get length 1. `maxLength` must allow
// every used symbol a code (2^maxLength >= count).
void HuffmanLengths(std::span<const std::uint32_t> frequencies, int maxLength,
                    std::span<std::uint8_t> lengths);

// The canonical codes of `lengths` into `codes`, bit-reversed, so that written from the
// lowest bit up (as deflate writes) they read most significant bit first.
void HuffmanCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

}  // namespace zenthor
