#include "texture/dds_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tests/support/dds_writer.h"

namespace zenthor {
namespace {

using namespace zenthor::test;

// What a format keeps of alpha: all of it, nothing (opaque), one bit, or one bit with the
// colour of clear pixels lost (DXT1 stores them as transparent black).
enum class Alpha { Kept, Opaque, OneBit, Cutout };
// What it keeps of colour: all of it, red as luminance, or nothing.
enum class Colour { Kept, Luminance, None };

struct FormatCase {
    DdsFormat format;
    const char* name;
    int tolerance;  // per channel
    Alpha alpha;
    Colour colour;
};

const FormatCase kFormats[] = {
    {kDxt1, "Dxt1", 4, Alpha::Cutout, Colour::Kept},
    {kDxt3, "Dxt3", 8, Alpha::Kept, Colour::Kept},
    {kDxt5, "Dxt5", 4, Alpha::Kept, Colour::Kept},
    {kA8R8G8B8, "A8R8G8B8", 0, Alpha::Kept, Colour::Kept},
    {kX8R8G8B8, "X8R8G8B8", 0, Alpha::Opaque, Colour::Kept},
    {kA8B8G8R8, "A8B8G8R8", 0, Alpha::Kept, Colour::Kept},
    {kX8B8G8R8, "X8B8G8R8", 0, Alpha::Opaque, Colour::Kept},
    {kR8G8B8, "R8G8B8", 0, Alpha::Opaque, Colour::Kept},
    {kR5G6B5, "R5G6B5", 4, Alpha::Opaque, Colour::Kept},
    {kA1R5G5B5, "A1R5G5B5", 4, Alpha::OneBit, Colour::Kept},
    {kL8, "L8", 0, Alpha::Opaque, Colour::Luminance},
    {kA8L8, "A8L8", 0, Alpha::Kept, Colour::Luminance},
    {kA8, "A8", 0, Alpha::Kept, Colour::None},
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

// The source pixel as the format can hold it.
void Representable(const FormatCase& c, std::uint8_t* pixel) {
    if (c.colour == Colour::Luminance) {
        pixel[1] = pixel[2] = pixel[0];
    } else if (c.colour == Colour::None) {
        pixel[0] = pixel[1] = pixel[2] = 0;
    }
    if (c.alpha == Alpha::Opaque) {
        pixel[3] = 255;
    } else if (c.alpha == Alpha::OneBit || c.alpha == Alpha::Cutout) {
        pixel[3] = pixel[3] >= 128 ? 255 : 0;
        if (c.alpha == Alpha::Cutout && pixel[3] == 0) {
            pixel[0] = pixel[1] = pixel[2] = 0;
        }
    }
}

// An exactly-sized heap copy of the first `length` bytes, so that AddressSanitizer sees a
// read past the end.
DdsDecodeResult DecodePrefix(const Bytes& file, std::size_t length) {
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[length]);
    std::memcpy(copy.get(), file.data(), length);
    return DecodeDds({copy.get(), length});
}

class DdsFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(DdsFormats, DecodesTheSourcePixelsWithinTheFormatsError) {
    const FormatCase& c = GetParam();
    for (auto [width, height] : {std::pair{1u, 1u}, std::pair{9u, 7u}, std::pair{16u, 8u}}) {
        const RgbaImage source = TestImage(width, height);
        const DdsDecodeResult result = DecodeDds(MakeDds(c.format, source));
        ASSERT_EQ(result.status, DdsStatus::Decoded) << result.reason;
        ASSERT_EQ(result.image.width, width);
        ASSERT_EQ(result.image.height, height);
        ASSERT_EQ(result.image.pixels.size(), source.pixels.size());
        for (std::size_t i = 0; i < source.pixels.size(); i += 4) {
            std::uint8_t expected[4];
            std::memcpy(expected, &source.pixels[i], 4);
            Representable(c, expected);
            for (int channel = 0; channel < 4; ++channel) {
                ASSERT_LE(std::abs(result.image.pixels[i + channel] - expected[channel]), c.tolerance)
                    << width << "x" << height << " pixel " << i / 4 << " channel " << channel;
            }
        }
    }
}

// Every length short of the header and top level fails; from there on, mip levels or not,
// the same image comes out. Fields the top level does not need may say anything.
TEST_P(DdsFormats, FailsOnEveryTruncationOfTheTopLevel) {
    Bytes file = MakeDds(GetParam().format, TestImage(9, 7));
    const std::size_t needed = file.size();
    PutU32(file, 20, 0xFFFFFFFF);    // pitch or linear size
    PutU32(file, 28, 0xFFFFFFFF);    // mip count
    file.resize(needed + 40, 0xA5);  // stands in for smaller levels
    const DdsDecodeResult whole = DecodeDds(file);
    ASSERT_EQ(whole.status, DdsStatus::Decoded) << whole.reason;
    for (std::size_t length = 0; length <= file.size(); ++length) {
        const DdsDecodeResult result = DecodePrefix(file, length);
        if (length < needed) {
            ASSERT_EQ(result.status, DdsStatus::Malformed) << "length " << length;
            ASSERT_FALSE(result.reason.empty());
        } else {
            ASSERT_EQ(result.status, DdsStatus::Decoded) << "length " << length;
            ASSERT_EQ(result.image.pixels, whole.image.pixels);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texture, DdsFormats, testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

Bytes WithDx10(std::uint32_t format, std::uint32_t dimension = 3, std::uint32_t misc = 0,
               std::uint32_t arraySize = 1) {
    Bytes file = DdsHeader(kDxt1, 4, 4);
    PutU32(file, dds_field::kFourCc, FourCc("DX10"));
    const Bytes extended = Dx10Header(format, dimension, misc, arraySize);
    file.insert(file.end(), extended.begin(), extended.end());
    file.resize(file.size() + 64);
    return file;
}

Bytes Patched(DdsFormat format, std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
    Bytes file = MakeDds(format, TestImage(4, 4));
    for (auto [offset, value] : fields) {
        PutU32(file, offset, value);
    }
    return file;
}

struct RejectCase {
    const char* name;
    Bytes file;
    DdsStatus status;
    std::string reason;  // for malformed files, a part of it
};

TEST(DdsDecoder, ReportsWhatItDoesNotDecodeAndWhatIsBroken) {
    using namespace dds_field;
    const std::uint32_t depthFlag = 0x800000;
    const Bytes dx10 = WithDx10(98);
    const RejectCase cases[] = {
        {"cube map", Patched(kDxt5, {{kCaps2, 0xFE00}}), DdsStatus::Unsupported, "cube map"},
        {"volume", Patched(kDxt5, {{kCaps2, 0x200000}}), DdsStatus::Unsupported, "volume texture"},
        {"depth", Patched(kA8R8G8B8, {{kFlags, 0x1007 | depthFlag}, {kDepth, 4}}), DdsStatus::Unsupported,
         "volume texture"},
        {"BC5", Patched(kDxt5, {{kFourCc, FourCc("ATI2")}}), DdsStatus::Unsupported, "BC5 (FourCC 'ATI2')"},
        {"premultiplied", Patched(kDxt3, {{kFourCc, FourCc("DXT2")}}), DdsStatus::Unsupported,
         "FourCC 'DXT2'"},
        {"numbered FourCC", Patched(kDxt5, {{kFourCc, 113}}), DdsStatus::Unsupported, "FourCC 113"},
        {"YUV", Patched(kR8G8B8, {{kPixelFlags, 0x200}}), DdsStatus::Unsupported, "YUV pixels"},
        {"no kind", Patched(kR8G8B8, {{kPixelFlags, 0}}), DdsStatus::Unsupported, "pixel format flags 0x0"},
        {"DX10 BC7", WithDx10(98), DdsStatus::Unsupported, "BC7 (DX10 format 98)"},
        {"DX10 plain", WithDx10(28), DdsStatus::Unsupported, "DX10 format 28"},
        {"DX10 cube", WithDx10(71, 3, 0x4, 1), DdsStatus::Unsupported, "cube map"},
        {"DX10 array", WithDx10(71, 3, 0, 6), DdsStatus::Unsupported, "texture array"},
        {"DX10 volume", WithDx10(71, 4), DdsStatus::Unsupported, "volume texture"},

        {"magic", Patched(kDxt1, {{0, FourCc("DDS!")}}), DdsStatus::Malformed, "not a DDS file"},
        {"header size", Patched(kDxt1, {{kHeaderSize, 100}}), DdsStatus::Malformed, "header size 100"},
        {"format size", Patched(kDxt1, {{kPixelFormatSize, 24}}), DdsStatus::Malformed,
         "pixel format size 24"},
        {"zero width", Patched(kDxt1, {{kWidth, 0}}), DdsStatus::Malformed, "size 0x4 is outside"},
        {"too high", Patched(kDxt1, {{kHeight, 16385}}), DdsStatus::Malformed, "size 4x16385 is outside"},
        {"largest size", Patched(kDxt5, {{kWidth, 16384}, {kHeight, 16384}}), DdsStatus::Malformed,
         "needs 268435456 bytes"},
        {"overflowing size", Patched(kA8R8G8B8, {{kWidth, 0xFFFFFFFF}, {kHeight, 0x40000001}}),
         DdsStatus::Malformed, "is outside"},
        {"DX10 cut short", Bytes(dx10.begin(), dx10.begin() + 147), DdsStatus::Malformed,
         "extended header cut short"},
        {"bit count", Patched(kR8G8B8, {{kBitCount, 12}}), DdsStatus::Malformed, "of 12 bits"},
        {"wide mask", Patched(kA8L8, {{kRedMask + 12, 0xFF0000}}), DdsStatus::Malformed,
         "mask 0xFF0000 does not fit 16-bit"},
        {"no masks", Patched(kX8R8G8B8, {{kRedMask, 0}, {kRedMask + 4, 0}, {kRedMask + 8, 0}}),
         DdsStatus::Malformed, "without channel masks"},
    };
    for (const RejectCase& c : cases) {
        const DdsDecodeResult result = DecodePrefix(c.file, c.file.size());
        EXPECT_EQ(result.status, c.status) << c.name << ": " << result.reason;
        EXPECT_TRUE(result.image.pixels.empty()) << c.name;
        if (c.status == DdsStatus::Unsupported) {
            EXPECT_EQ(result.reason, c.reason) << c.name;
        } else {
            EXPECT_NE(result.reason.find(c.reason), std::string::npos) << c.name << ": " << result.reason;
        }
    }
}

}  // namespace
}  // namespace zenthor
