#include "texture/png_row_filters.h"

#include <cstdlib>
#include <cstring>

namespace zenthor {
namespace {

constexpr std::size_t kPixelBytes = 4;

// Each filter reads only unfiltered bytes, so every loop is free of carried dependencies
// and the compiler vectorises it.

void Sub(const std::uint8_t* row, std::size_t n, std::uint8_t* out) {
    std::memcpy(out, row, kPixelBytes);
    for (std::size_t i = kPixelBytes; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - row[i - kPixelBytes]);
    }
}

void Up(const std::uint8_t* row, const std::uint8_t* up, std::size_t n, std::uint8_t* out) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - up[i]);
    }
}

void Average(const std::uint8_t* row, const std::uint8_t* up, std::size_t n, std::uint8_t* out) {
    for (std::size_t i = 0; i < kPixelBytes; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - (up[i] >> 1));
    }
    for (std::size_t i = kPixelBytes; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - kPixelBytes] + up[i]) >> 1));
    }
}

// The predictor of the left (a), upper (b) and upper-left (c) bytes nearest to a + b - c,
// ties going to a, then b.
inline std::uint8_t PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : bc);
}

void Paeth(const std::uint8_t* row, const std::uint8_t* up, std::size_t n, std::uint8_t* out) {
    // On the first pixel a and c are zero, so the predictor is b.
    for (std::size_t i = 0; i < kPixelBytes; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] - up[i]);
    }
    for (std::size_t i = kPixelBytes; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(row[i] -
                                           PaethPredictor(row[i - kPixelBytes], up[i], up[i - kPixelBytes]));
    }
}

}  // namespace

void FilterPngRow(PngRowFilter filter, const std::uint8_t* row, const std::uint8_t* previous,
                  std::size_t rowBytes, std::uint8_t* out) {
    *out++ = static_cast<std::uint8_t>(filter);
    switch (filter) {
        case PngRowFilter::None:
            std::memcpy(out, row, rowBytes);
            break;
        case PngRowFilter::Sub:
            Sub(row, rowBytes, out);
            break;
        case PngRowFilter::Up:
            Up(row, previous, rowBytes, out);
            break;
        case PngRowFilter::Average:
            Average(row, previous, rowBytes, out);
            break;
        case PngRowFilter::Paeth:
            Paeth(row, previous, rowBytes, out);
            break;
    }
}

}  // namespace zenthor
