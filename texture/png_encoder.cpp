#include "texture/png_encoder.h"

#include <algorithm>
#include <new>

#include "texture/png_file.h"
#include "texture/run_length_deflate.h"

namespace zenthor {
namespace {

// Rows are filtered and coded this many bytes at a time (at least one row): small enough
// to stay in the cache between filtering, counting and coding, large enough that each
// block's code table costs little.
constexpr std::size_t kBlockBytes = 256 * 1024;

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbaImage& image, PngRowFilter filter) {
    if (image.width == 0 || image.height == 0 || image.width > kMaxTextureSize ||
        image.height > kMaxTextureSize ||
        image.pixels.size() != std::size_t{image.width} * image.height * 4) {
        return {};
    }
    try {
        const std::size_t rowBytes = std::size_t{image.width} * 4;
        const std::size_t filteredRowBytes = rowBytes + 1;  // the filter's type first
        const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / filteredRowBytes);
        std::vector<std::uint8_t> block(rowsPerBlock * filteredRowBytes);
        const std::vector<std::uint8_t> zeros(rowBytes);  // above the top row
        RunLengthDeflater deflater(filteredRowBytes * image.height, block.size());

        const std::uint8_t* row = image.pixels.data();
        const std::uint8_t* previous = zeros.data();
        for (std::uint32_t y = 0; y < image.height;) {
            const std::size_t rows = std::min<std::size_t>(rowsPerBlock, image.height - y);
            for (std::size_t i = 0; i < rows; ++i, ++y, previous = row, row += rowBytes) {
                FilterPngRow(filter, row, previous, rowBytes, block.data() + i * filteredRowBytes);
            }
            deflater.AddBlock({block.data(), rows * filteredRowBytes}, y == image.height);
        }
        return PngFile(image.width, image.height, deflater.Finish());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace zenthor
