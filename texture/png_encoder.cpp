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
        // Filters the rows a block at a time and hands each block to `use`; done once to
        // plan the stream and once to write it, which costs less than keeping every
        // filtered row.
        auto forEachBlock = [&](auto&& use) {
            const std::uint8_t* row = image.pixels.data();
            const std::uint8_t* previous = zeros.data();
            for (std::uint32_t y = 0; y < image.height;) {
                const std::size_t rows = std::min<std::size_t>(rowsPerBlock, image.height - y);
                for (std::size_t i = 0; i < rows; ++i, ++y, previous = row, row += rowBytes) {
                    FilterPngRow(filter, row, previous, rowBytes, block.data() + i * filteredRowBytes);
                }
                use(std::span<const std::uint8_t>(block.data(), rows * filteredRowBytes));
            }
        };
        RunLengthDeflater deflater;
        forEachBlock([&](std::span<const std::uint8_t> bytes) { deflater.Plan(bytes); });
        return PngFile(image.width, image.height, deflater.StreamSize(), [&](std::span<std::uint8_t> stream) {
            deflater.StartWriting(stream);
            forEachBlock([&](std::span<const std::uint8_t> bytes) { deflater.Write(bytes); });
        });
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace zenthor
