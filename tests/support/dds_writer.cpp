#include "tests/support/dds_writer.h"

#include <bit>

namespace zenthor::test {
namespace {

std::uint32_t Pack(std::uint8_t value, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    return (value * max + 127) / 255 << shift;
}

}  // namespace

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

Bytes DdsHeader(const DdsFormat& format, std::uint32_t width, std::uint32_t height) {
    ByteWriter out;
    out.Raw("DDS ").U32(124).U32(0x1007).U32(height).U32(width);  // caps, height, width, pixel format
    out.U32(0).U32(0).U32(1).Zeros(44);  // pitch or linear size, depth, mip count, reserved
    out.U32(32).U32(format.flags).U32(format.fourCc).U32(format.bitCount);
    for (std::uint32_t mask : format.masks) {
        out.U32(mask);
    }
    out.U32(0x1000).Zeros(16);  // caps (texture), caps 2 to 4, reserved
    return out.Take();
}

Bytes Dx10Header(std::uint32_t format, std::uint32_t dimension, std::uint32_t miscFlags,
                 std::uint32_t arraySize) {
    ByteWriter out;
    out.U32(format).U32(dimension).U32(miscFlags).U32(arraySize).U32(0);
    return out.Take();
}

Bytes MakeDds(const DdsFormat& format, const RgbaImage& image) {
    Bytes file = DdsHeader(format, image.width, image.height);
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    if (format.squishFlags != 0) {
        const std::size_t offset = file.size();
        file.resize(offset + squish::GetStorageRequirements(width, height, format.squishFlags));
        squish::CompressImage(image.pixels.data(), width, height, file.data() + offset,
                              format.squishFlags | squish::kColourRangeFit);
        return file;
    }
    ByteWriter out;
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        std::uint32_t pixel = 0;
        for (int channel = 0; channel < 4; ++channel) {
            pixel |= Pack(image.pixels[i + channel], format.masks[channel]);
        }
        for (std::uint32_t byte = 0; byte < format.bitCount / 8; ++byte) {
            out.U8(static_cast<std::uint8_t>(pixel >> (8 * byte)));
        }
    }
    file.insert(file.end(), out.bytes().begin(), out.bytes().end());
    return file;
}

RgbaImage TestImage(std::uint32_t width, std::uint32_t height) {
    RgbaImage image{width, height, {}};
    image.pixels.reserve(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t bx = x / 4, by = y / 4, ramp = 2 * (x % 4 + y % 4);
            image.pixels.push_back(static_cast<std::uint8_t>(20 + (53 * bx + 17 * by) % 200 + ramp));
            image.pixels.push_back(static_cast<std::uint8_t>(230 - (31 * by + 7 * bx) % 200 + ramp / 2));
            image.pixels.push_back(static_cast<std::uint8_t>(10 + (97 * (bx + by)) % 120 + ramp));
            image.pixels.push_back(
                static_cast<std::uint8_t>((bx + 2 * by) % 4 == 1 ? 0 : 255 - 40 * ((bx + by) % 6)));
        }
    }
    return image;
}

}  // namespace zenthor::test
