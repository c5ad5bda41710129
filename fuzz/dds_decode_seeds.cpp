// dds_decode_seeds FOLDER: writes the starting corpus of the dds_decode fuzz target: every
// pixel format the writer knows at a few sizes, with and without smaller levels after the
// top one, and the kinds that are reported rather than decoded.
#include <map>
#include <string>

#include "fuzz/seed_main.h"
#include "tests/support/dds_writer.h"

namespace {

using namespace zenthor::test;

Bytes Patched(Bytes file, std::size_t offset, std::uint32_t value) {
    PutU32(file, offset, value);
    return file;
}

}  // namespace

namespace zenthor::fuzz {

std::map<std::string, std::vector<std::uint8_t>> Seeds() {
    const std::map<std::string, DdsFormat> formats = {
        {"dxt1", kDxt1},
        {"dxt3", kDxt3},
        {"dxt5", kDxt5},
        {"a8r8g8b8", kA8R8G8B8},
        {"x8r8g8b8", kX8R8G8B8},
        {"a8b8g8r8", kA8B8G8R8},
        {"x8b8g8r8", kX8B8G8R8},
        {"r8g8b8", kR8G8B8},
        {"r5g6b5", kR5G6B5},
        {"a1r5g5b5", kA1R5G5B5},
        {"l8", kL8},
        {"a8l8", kA8L8},
        {"a8", kA8},
    };
    std::map<std::string, Bytes> seeds;
    for (const auto& [name, format] : formats) {
        seeds[name + "-1x1"] = MakeDds(format, TestImage(1, 1));
        seeds[name + "-6x5"] = MakeDds(format, TestImage(6, 5));
        Bytes withLevels = MakeDds(format, TestImage(8, 8));
        const Bytes smaller = MakeDds(format, TestImage(4, 4));
        withLevels.insert(withLevels.end(), smaller.begin() + dds_field::kPixels, smaller.end());
        seeds[name + "-8x8-levels"] = Patched(withLevels, 28, 2);  // mip count
    }
    const Bytes dxt5 = MakeDds(kDxt5, TestImage(8, 8));
    seeds["cube-map"] = Patched(dxt5, dds_field::kCaps2, 0xFE00);
    seeds["volume"] = Patched(dxt5, dds_field::kCaps2, 0x200000);
    seeds["ati2"] = Patched(dxt5, dds_field::kFourCc, FourCc("ATI2"));
    Bytes dx10 = Patched(DdsHeader(kDxt1, 8, 8), dds_field::kFourCc, FourCc("DX10"));
    const Bytes extended = Dx10Header(98);
    dx10.insert(dx10.end(), extended.begin(), extended.end());
    dx10.resize(dx10.size() + 64);
    seeds["dx10-bc7"] = dx10;
    return seeds;
}

}  // namespace zenthor::fuzz
