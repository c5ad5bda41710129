// The five row filters of PNG for 8-bit RGBA rows (four bytes per pixel). A filter turns a
// row into differences from its neighbours so that deflate finds smaller numbers to code;
// the reader undoes it with the same neighbours.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zenthor {

enum class PngRowFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// Writes `filter`'s type byte and then `rowBytes` filtered bytes of `row` to `out`.
// `previous` is the row above: zeros for the top row. Rows hold whole pixels
// (`rowBytes` is a multiple of four, at least four).
void FilterPngRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous,
                  std::size_t rowBytes, std::uint8_t* out);

}  // namespace zenthor
