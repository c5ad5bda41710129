#include "texture/dds_decoder.h"

#include <squish.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

namespace zenthor {
namespace {

static_assert(std::endian::native == std::endian::little, "DDS files are little-endian, as is every target");

// A file is the magic, a 124-byte header holding a 32-byte pixel format, a 20-byte extended
// header when the pixel format's FourCC is "DX10", then the top level's pixels and the rest.
constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::size_t kDataOffset = 4 + kHeaderSize;
constexpr std::size_t kDx10HeaderSize = 20;

// Field offsets from the start of the file.
constexpr std::size_t kHeaderSizeAt = 4;
constexpr std::size_t kFlagsAt = 8;
constexpr std::size_t kHeightAt = 12;
constexpr std::size_t kWidthAt = 16;
constexpr std::size_t kDepthAt = 24;
constexpr std::size_t kPixelFormatSizeAt = 76;
constexpr std::size_t kPixelFlagsAt = 80;
constexpr std::size_t kFourCcAt = 84;
constexpr std::size_t kBitCountAt = 88;
constexpr std::size_t kMasksAt = 92;  // red, green, blue, alpha
constexpr std::size_t kCaps2At = 112;
// In the extended header: format, resource dimension, misc flags, array size.
constexpr std::size_t kDx10FormatAt = kDataOffset;
constexpr std::size_t kDx10DimensionAt = kDataOffset + 4;
constexpr std::size_t kDx10MiscAt = kDataOffset + 8;
constexpr std::size_t kDx10ArraySizeAt = kDataOffset + 12;

constexpr std::uint32_t kFlagDepth = 0x800000;
constexpr std::uint32_t kPixelAlphaPixels = 0x1;
constexpr std::uint32_t kPixelAlpha = 0x2;
constexpr std::uint32_t kPixelFourCc = 0x4;
constexpr std::uint32_t kPixelRgb = 0x40;
constexpr std::uint32_t kPixelYuv = 0x200;
constexpr std::uint32_t kPixelLuminance = 0x20000;
constexpr std::uint32_t kCaps2CubeMap = 0x200;
constexpr std::uint32_t kCaps2Volume = 0x200000;
constexpr std::uint32_t kDx10Texture3d = 4;
constexpr std::uint32_t kDx10MiscCube = 0x4;

constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return std::uint32_t(std::uint8_t(code[0])) | std::uint32_t(std::uint8_t(code[1])) << 8 |
           std::uint32_t(std::uint8_t(code[2])) << 16 | std::uint32_t(std::uint8_t(code[3])) << 24;
}

std::uint32_t LoadU32(std::span<const std::uint8_t> file, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, file.data() + offset, sizeof value);
    return value;
}

std::optional<std::size_t> Multiply(std::size_t a, std::size_t b) {
    std::size_t product;
    if (__builtin_mul_overflow(a, b, &product)) {
        return std::nullopt;
    }
    return product;
}

std::string Hex(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

DdsDecodeResult Reject(DdsStatus status, std::string reason) {
    DdsDecodeResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

DdsDecodeResult Malformed(std::string reason) {
    return Reject(DdsStatus::Malformed, std::move(reason));
}

DdsDecodeResult Unsupported(std::string reason) {
    return Reject(DdsStatus::Unsupported, std::move(reason));
}

// "FourCC 'ATI2'", or the number for the codes that old files use for plain formats.
std::string FourCcName(std::uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(code >> (8 * i));
        if (c < ' ' || c > '~') {
            return "FourCC " + std::to_string(code);
        }
        text += c;
    }
    text = "FourCC '" + text + "'";
    static constexpr struct {
        std::uint32_t code;
        const char* family;
    } kKnown[] = {{FourCc("ATI1"), "BC4"}, {FourCc("BC4U"), "BC4"}, {FourCc("BC4S"), "BC4"},
                  {FourCc("ATI2"), "BC5"}, {FourCc("BC5U"), "BC5"}, {FourCc("BC5S"), "BC5"}};
    for (const auto& known : kKnown) {
        if (known.code == code) {
            return std::string(known.family) + " (" + text + ")";
        }
    }
    return text;
}

// "BC7 (DX10 format 98)"; the block-compressed formats come in runs of three (typeless,
// then two typed variants).
std::string Dx10FormatName(std::uint32_t format) {
    const std::string code = "DX10 format " + std::to_string(format);
    static constexpr struct {
        std::uint32_t first;
        const char* family;
    } kFamilies[] = {{70, "BC1"}, {73, "BC2"},  {76, "BC3"}, {79, "BC4"},
                     {82, "BC5"}, {94, "BC6H"}, {97, "BC7"}};
    for (const auto& family : kFamilies) {
        if (format >= family.first && format < family.first + 3) {
            return std::string(family.family) + " (" + code + ")";
        }
    }
    return code;
}

// One channel of an uncompressed pixel, widened to 8 bits. Any mask gives a value in
// range; only contiguous ones give a meaningful one.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t channelMask)
        : mask(channelMask),
          shift(channelMask == 0 ? 0 : std::countr_zero(channelMask)),
          max(channelMask >> shift) {}

    std::uint8_t Expand(std::uint32_t pixel, std::uint8_t absent) const {
        if (mask == 0) {
            return absent;
        }
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }
};

// How the top level's pixels are stored: DXT blocks (squishFlags set) or uncompressed.
struct Layout {
    int squishFlags = 0;
    std::size_t blockBytes = 0;
    std::size_t pixelBytes = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red (or luminance), green, blue, alpha
    bool luminance = false;
};

// The layout of a pixel format without an extended header, or why there is none.
std::optional<DdsDecodeResult> ReadLayout(std::span<const std::uint8_t> file, Layout& layout) {
    const std::uint32_t flags = LoadU32(file, kPixelFlagsAt);
    if ((flags & kPixelFourCc) != 0) {
        const std::uint32_t code = LoadU32(file, kFourCcAt);
        if (code == FourCc("DXT1")) {
            layout.squishFlags = squish::kDxt1;
            layout.blockBytes = 8;
        } else if (code == FourCc("DXT3")) {
            layout.squishFlags = squish::kDxt3;
            layout.blockBytes = 16;
        } else if (code == FourCc("DXT5")) {
            layout.squishFlags = squish::kDxt5;
            layout.blockBytes = 16;
        } else {
            return Unsupported(FourCcName(code));
        }
        return std::nullopt;
    }
    if ((flags & (kPixelRgb | kPixelLuminance | kPixelAlpha)) == 0) {
        return Unsupported((flags & kPixelYuv) != 0 ? "YUV pixels" : "pixel format flags " + Hex(flags));
    }

    const std::uint32_t bitCount = LoadU32(file, kBitCountAt);
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        return Malformed("uncompressed pixels of " + std::to_string(bitCount) + " bits");
    }
    layout.pixelBytes = bitCount / 8;
    layout.luminance = (flags & kPixelLuminance) != 0;
    const bool colour = (flags & (kPixelRgb | kPixelLuminance)) != 0;
    const bool alpha = (flags & (kPixelAlphaPixels | kPixelAlpha)) != 0;
    for (int i = 0; i < 4; ++i) {
        const bool used = i == 3 ? alpha : colour && (i == 0 || !layout.luminance);
        layout.masks[i] = used ? LoadU32(file, kMasksAt + 4 * std::size_t(i)) : 0;
        if (bitCount < 32 && (layout.masks[i] >> bitCount) != 0) {
            return Malformed("channel mask " + Hex(layout.masks[i]) + " does not fit " +
                             std::to_string(bitCount) + "-bit pixels");
        }
    }
    if ((layout.masks[0] | layout.masks[1] | layout.masks[2] | layout.masks[3]) == 0) {
        return Malformed("uncompressed pixel format without channel masks");
    }
    return std::nullopt;
}

void DecodeBlocks(const std::uint8_t* blocks, const Layout& layout, RgbaImage& image) {
    const std::uint32_t width = image.width;
    const std::uint32_t height = image.height;
    std::uint8_t block[16 * 4];
    for (std::uint32_t y = 0; y < height; y += 4) {
        const std::uint32_t rows = std::min<std::uint32_t>(4, height - y);
        for (std::uint32_t x = 0; x < width; x += 4) {
            squish::Decompress(block, blocks, layout.squishFlags);
            blocks += layout.blockBytes;
            // Blocks on the right and bottom edges reach past the image; only the inside is kept.
            const std::size_t columnBytes = std::size_t{std::min<std::uint32_t>(4, width - x)} * 4;
            for (std::uint32_t row = 0; row < rows; ++row) {
                std::memcpy(&image.pixels[(std::size_t{y + row} * width + x) * 4], &block[row * 16],
                            columnBytes);
            }
        }
    }
}

void DecodeUncompressed(const std::uint8_t* source, const Layout& layout, RgbaImage& image) {
    const Channel red(layout.masks[0]);
    const Channel green(layout.masks[1]);
    const Channel blue(layout.masks[2]);
    const Channel alpha(layout.masks[3]);
    const std::size_t count = std::size_t{image.width} * image.height;
    std::uint8_t* out = image.pixels.data();
    for (std::size_t i = 0; i < count; ++i, source += layout.pixelBytes, out += 4) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, source, layout.pixelBytes);
        out[0] = red.Expand(pixel, 0);
        out[1] = layout.luminance ? out[0] : green.Expand(pixel, 0);
        out[2] = layout.luminance ? out[0] : blue.Expand(pixel, 0);
        out[3] = alpha.Expand(pixel, 255);
    }
}

}  // namespace

DdsDecodeResult DecodeDds(std::span<const std::uint8_t> file) {
    if (file.size() < kDataOffset) {
        return Malformed("file of " + std::to_string(file.size()) + " bytes is shorter than a DDS header");
    }
    if (LoadU32(file, 0) != kMagic) {
        return Malformed("not a DDS file (no \"DDS \" at its start)");
    }
    if (const std::uint32_t size = LoadU32(file, kHeaderSizeAt); size != kHeaderSize) {
        return Malformed("header size " + std::to_string(size) + ", not 124");
    }
    if (const std::uint32_t size = LoadU32(file, kPixelFormatSizeAt); size != kPixelFormatSize) {
        return Malformed("pixel format size " + std::to_string(size) + ", not 32");
    }
    const std::uint32_t width = LoadU32(file, kWidthAt);
    const std::uint32_t height = LoadU32(file, kHeightAt);
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) {
        return Malformed("size " + std::to_string(width) + "x" + std::to_string(height) +
                         " is outside 1 to " + std::to_string(kMaxTextureSize));
    }

    const bool extended =
        (LoadU32(file, kPixelFlagsAt) & kPixelFourCc) != 0 && LoadU32(file, kFourCcAt) == FourCc("DX10");
    if (extended) {
        if (file.size() - kDataOffset < kDx10HeaderSize) {
            return Malformed("extended header cut short");
        }
        if ((LoadU32(file, kDx10MiscAt) & kDx10MiscCube) != 0) {
            return Unsupported("cube map");
        }
        if (LoadU32(file, kDx10DimensionAt) == kDx10Texture3d) {
            return Unsupported("volume texture");
        }
        if (LoadU32(file, kDx10ArraySizeAt) > 1) {
            return Unsupported("texture array");
        }
        return Unsupported(Dx10FormatName(LoadU32(file, kDx10FormatAt)));
    }
    if ((LoadU32(file, kCaps2At) & kCaps2CubeMap) != 0) {
        return Unsupported("cube map");
    }
    if ((LoadU32(file, kCaps2At) & kCaps2Volume) != 0 ||
        ((LoadU32(file, kFlagsAt) & kFlagDepth) != 0 && LoadU32(file, kDepthAt) > 1)) {
        return Unsupported("volume texture");
    }

    Layout layout;
    if (auto rejected = ReadLayout(file, layout)) {
        return std::move(*rejected);
    }
    // Width and height are bounded, so these cannot overflow; they are checked all the same.
    const auto needed = layout.squishFlags != 0
                            ? Multiply(std::size_t{(width + 3) / 4} * ((height + 3) / 4), layout.blockBytes)
                            : Multiply(std::size_t{width} * height, layout.pixelBytes);
    const auto outputBytes = Multiply(std::size_t{width} * height, 4);
    if (!needed || !outputBytes) {
        return Malformed("top level too large");
    }
    const std::size_t held = file.size() - kDataOffset;
    if (held < *needed) {
        return Malformed("top level needs " + std::to_string(*needed) + " bytes of pixels, the file holds " +
                         std::to_string(held));
    }

    DdsDecodeResult result;
    result.status = DdsStatus::Decoded;
    result.image.width = width;
    result.image.height = height;
    result.image.pixels.resize(*outputBytes);
    if (layout.squishFlags != 0) {
        DecodeBlocks(file.data() + kDataOffset, layout, result.image);
    } else {
        DecodeUncompressed(file.data() + kDataOffset, layout, result.image);
    }
    return result;
}

}  // namespace zenthor
