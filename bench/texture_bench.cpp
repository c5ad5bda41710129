// Turning a 2048x2048 DXT5 texture into PNG bytes, on one thread: decoding the DDS file to
// RGBA (DecodeDds), encoding the PNG (EncodePng), and both. Floors measured in the same
// run: libsquish decoding the same blocks into a scratch block (the codec alone, without
// placing pixels) and copying the 16 MiB of RGBA. The closing lines give the encoder's
// share of the whole and each step against its floor.
//
// Other ways to write the same PNG, measured on the same pixels (BM_Png/...): EncodePng
// under each row filter; libdeflate's zlib compressor at levels 1 to 4 under each filter;
// libpng with one filter at levels 1 and 2 and zlib's strategies; and the stb writer over
// zlib at level 2 with Paeth, which zenthor used before. Each gets its time against the DDS
// decode (the target for EncodePng is at most 4) and its size against the stb writer's (at
// most 1.1).
//
// Whole processes on the same DDS file: `zenthor import --textures png` of a model whose
// one texture it is (to .gltf, the PNG beside it), against ImageMagick's `convert x.dds
// x.png` when ImageMagick is installed (skipped with a message otherwise). The target is
// zenthor in at most 0.05 of convert's time; the same import with --textures keep shows how
// much of that the process takes without the texture.
//
// The texture is made of smooth waves with a little noise in every channel, alpha
// included, then compressed, so the PNG encoder sees what a decoded texture looks like.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <png.h>
#include <squish.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_main.h"
#include "bench/ratio_reporter.h"
#include "bench/zenthor_run.h"
#include "tests/support/dds_writer.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"
#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"
#include "texture/png_file.h"

namespace {

using namespace zenthor;

constexpr std::uint32_t kSize = 2048;

struct Fixture {
    test::Bytes dds;
    RgbaImage decoded;
};

std::uint8_t Channel(double wave, std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    const int noise = static_cast<int>(seed >> 24) % 17 - 8;
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(wave) + noise, 0, 255));
}

const Fixture& TheFixture() {
    static const Fixture fixture = [] {
        RgbaImage image{kSize, kSize, {}};
        image.pixels.reserve(std::size_t{kSize} * kSize * 4);
        std::uint32_t seed = 1;
        for (std::uint32_t y = 0; y < kSize; ++y) {
            for (std::uint32_t x = 0; x < kSize; ++x) {
                image.pixels.push_back(Channel(128 + 100 * std::sin(x / 37.0) * std::cos(y / 53.0), seed));
                image.pixels.push_back(Channel(128 + 90 * std::sin((x + y) / 71.0), seed));
                image.pixels.push_back(Channel(100 + 80 * std::cos(x / 23.0 + y / 91.0), seed));
                image.pixels.push_back(
                    Channel(255.0 * (1.0 - double(x) * y / (double(kSize) * kSize)), seed));
            }
        }
        Fixture made{test::MakeDds(test::kDxt5, image), {}};
        made.decoded = DecodeDds(made.dds).image;
        return made;
    }();
    return fixture;
}

void BM_DecodeDds(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    for (auto _ : state) {
        DdsDecodeResult result = DecodeDds(fixture.dds);
        benchmark::DoNotOptimize(result.image.pixels.data());
    }
}

using PngWriter = std::function<std::vector<std::uint8_t>(const RgbaImage&)>;

void MeasurePngWriter(benchmark::State& state, const PngWriter& write) {
    const Fixture& fixture = TheFixture();
    std::size_t pngBytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> png = write(fixture.decoded);
        pngBytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    if (pngBytes == 0) {
        state.SkipWithError("no PNG written");
    }
    state.counters["png_MiB"] = static_cast<double>(pngBytes) / (1024.0 * 1024.0);
}

void BM_EncodePng(benchmark::State& state) {
    MeasurePngWriter(state, [](const RgbaImage& image) { return EncodePng(image); });
}

// Every row filtered at once, libdeflate's zlib compressor over them, and EncodePng's chunks.
std::vector<std::uint8_t> WriteWithLibdeflate(const RgbaImage& image, PngRowFilter filter, int level) {
    const std::size_t rowBytes = std::size_t{image.width} * 4;
    std::vector<std::uint8_t> filtered((rowBytes + 1) * image.height);
    const std::vector<std::uint8_t> zeros(rowBytes);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels.data() + y * rowBytes;
        FilterPngRow(filter, row, y == 0 ? zeros.data() : row - rowBytes, rowBytes,
                     filtered.data() + y * (rowBytes + 1));
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    std::vector<std::uint8_t> zlib(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    zlib.resize(
        libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(), zlib.data(), zlib.size()));
    libdeflate_free_compressor(compressor);
    return PngFile(image.width, image.height, zlib.size(), [&](std::span<std::uint8_t> stream) {
        std::copy(zlib.begin(), zlib.end(), stream.begin());
    });
}

// libpng writing to memory with one filter for every row; an error leaves the PNG empty.
std::vector<std::uint8_t> WriteWithLibpng(const RgbaImage& image, int filter, int level, int strategy) {
    std::vector<std::uint8_t> png;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        rows[y] = const_cast<png_bytep>(image.pixels.data()) + std::size_t{y} * image.width * 4;
    }
    if (setjmp(png_jmpbuf(writer)) != 0) {
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(
        writer, &png,
        [](png_structp w, png_bytep data, png_size_t size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(w));
            out->insert(out->end(), data, data + size);
        },
        nullptr);
    png_set_IHDR(writer, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(writer, PNG_FILTER_TYPE_BASE, filter);
    png_set_compression_level(writer, level);
    png_set_compression_strategy(writer, strategy);
    png_write_info(writer, info);
    png_write_image(writer, rows.data());
    png_write_end(writer, info);
    png_destroy_write_struct(&writer, &info);
    return png;
}

// The stb writer over zlib at level 2 with Paeth on every row: zenthor's encoder before
// libdeflate, kept as the size to stay near.
unsigned char* ZlibLevel2(unsigned char* data, int length, int* outLength, int /*stbLevel*/) {
    uLongf bound = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(bound));
    if (out == nullptr || compress2(out, &bound, data, static_cast<uLong>(length), 2) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(bound);
    return out;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS ZlibLevel2
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

std::vector<std::uint8_t> WriteWithStb(const RgbaImage& image) {
    stbi_write_force_png_filter = 4;
    std::vector<std::uint8_t> png;
    const int width = static_cast<int>(image.width);
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(context);
            out->assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
        },
        &png, width, static_cast<int>(image.height), 4, image.pixels.data(), width * 4);
    return png;
}

struct Candidate {
    std::string name;  // the benchmark's, BM_Png/...
    PngWriter write;
};

const char* const kFilterNames[] = {"None", "Sub", "Up", "Average", "Paeth"};

std::vector<Candidate> Candidates() {
    std::vector<Candidate> candidates{{"BM_Png/stb_zlib2_Paeth", WriteWithStb}};
    for (int number = 0; number < 5; ++number) {
        const auto filter = static_cast<PngRowFilter>(number);
        candidates.push_back({std::string("BM_Png/EncodePng_") + kFilterNames[number],
                              [filter](const RgbaImage& image) { return EncodePng(image, filter); }});
    }
    for (int number = 0; number < 5; ++number) {
        const auto filter = static_cast<PngRowFilter>(number);
        for (int level = 1; level <= 4; ++level) {
            candidates.push_back({"BM_Png/libdeflate" + std::to_string(level) + "_" + kFilterNames[number],
                                  [filter, level](const RgbaImage& image) {
                                      return WriteWithLibdeflate(image, filter, level);
                                  }});
        }
    }
    const std::pair<int, const char*> filters[] = {
        {PNG_FILTER_SUB, "Sub"}, {PNG_FILTER_UP, "Up"}, {PNG_FILTER_PAETH, "Paeth"}};
    const std::pair<int, const char*> strategies[] = {
        {Z_DEFAULT_STRATEGY, ""}, {Z_RLE, "_rle"}, {Z_HUFFMAN_ONLY, "_huffman"}};
    for (const auto& [filter, filterName] : filters) {
        for (int level = 1; level <= 2; ++level) {
            for (const auto& [strategy, strategyName] : strategies) {
                candidates.push_back(
                    {"BM_Png/libpng" + std::to_string(level) + strategyName + "_" + filterName,
                     [filter, level, strategy](const RgbaImage& image) {
                         return WriteWithLibpng(image, filter, level, strategy);
                     }});
            }
        }
    }
    return candidates;
}

void BM_DdsToPng(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    for (auto _ : state) {
        const std::vector<std::uint8_t> png = EncodePng(DecodeDds(fixture.dds).image);
        benchmark::DoNotOptimize(png.data());
    }
}
void BM_SquishBlocksFloor(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    const std::size_t blocks = std::size_t{kSize / 4} * (kSize / 4);
    squish::u8 scratch[64];
    for (auto _ : state) {
        const std::uint8_t* block = fixture.dds.data() + test::dds_field::kPixels;
        for (std::size_t i = 0; i < blocks; ++i, block += 16) {
            squish::Decompress(scratch, block, squish::kDxt5);
            benchmark::DoNotOptimize(scratch);
        }
    }
}

void BM_CopyRgbaFloor(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    for (auto _ : state) {
        std::vector<std::uint8_t> copy(fixture.decoded.pixels);
        benchmark::DoNotOptimize(copy.data());
    }
}

// The fixture's DDS file as a texture of a one-object model, in a content tree.
struct ProcessFixture {
    test::TempContentTree tree;
    std::string model;
    std::string dds;
};

std::unique_ptr<ProcessFixture>& TheProcessFixture() {
    static std::unique_ptr<ProcessFixture> fixture;
    return fixture;
}

const ProcessFixture& MakeProcessFixture() {
    std::unique_ptr<ProcessFixture>& fixture = TheProcessFixture();
    if (!fixture) {
        fixture = std::make_unique<ProcessFixture>();
        fixture->dds = fixture->tree.Write("textures/stone.2048.dds", TheFixture().dds);
        fixture->model = fixture->tree.Write(
            "models/stone.model",
            {test::MeshesChunk({test::MeshEntry(test::TriangleMesh("stone", "props\\stone"))})});
    }
    return *fixture;
}

// ImageMagick's convert: the first `convert` on PATH that says it is ImageMagick's, or empty.
std::string ImageMagickConvert() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path program = std::filesystem::path(folder) / "convert";
        if (access(program.c_str(), X_OK) != 0) {
            continue;
        }
        const std::string command = "'" + program.string() + "' -version 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        char line[256] = {};
        if (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr &&
            std::string(line).find("ImageMagick") != std::string::npos) {
            return program.string();
        }
    }
    return {};
}

// Runs `program` with `args` once per iteration, timed as a whole process; `png` is the
// file it writes, whose size is kept.
void MeasureProcess(benchmark::State& state, const std::string& program, const std::vector<std::string>& args,
                    const std::filesystem::path& png) {
    for (auto _ : state) {
        const zenthor::bench::ZenthorRun run = zenthor::bench::RunZenthorProcess(args, program);
        if (run.exitCode != 0) {
            state.SkipWithError((program + " failed: " + run.err).c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    std::error_code error;
    state.counters["png_MiB"] =
        static_cast<double>(std::filesystem::file_size(png, error)) / (1024.0 * 1024.0);
}

void BM_ZenthorImportPng(benchmark::State& state) {
    const ProcessFixture& fixture = MakeProcessFixture();
    const std::filesystem::path out = fixture.tree.Base() / "zenthor_out";
    MeasureProcess(
        state, zenthor::bench::ZenthorProgram(),
        {"import", fixture.model, "-o", (out / "stone.gltf").string(), "--yes", "--textures", "png"},
        out / "stone_textures" / "stone.2048.png");
}

// The same import keeping the DDS file: the process's floor, everything but the texture.
void BM_ZenthorImportKeepFloor(benchmark::State& state) {
    const ProcessFixture& fixture = MakeProcessFixture();
    const std::filesystem::path out = fixture.tree.Base() / "zenthor_keep";
    MeasureProcess(
        state, zenthor::bench::ZenthorProgram(),
        {"import", fixture.model, "-o", (out / "stone.gltf").string(), "--yes", "--textures", "keep"},
        out / "stone.gltf");
}

void BM_ImageMagickConvert(benchmark::State& state) {
    const std::string convert = ImageMagickConvert();
    if (convert.empty()) {
        state.SkipWithError(
            "ImageMagick's convert is not installed (Debian package imagemagick): not compared");
        return;
    }
    const ProcessFixture& fixture = MakeProcessFixture();
    const std::filesystem::path png = fixture.tree.Base() / "convert_out.png";
    MeasureProcess(state, convert, {fixture.dds, png.string()}, png);
}

BENCHMARK(BM_DecodeDds)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();
BENCHMARK(BM_DdsToPng)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();
BENCHMARK(BM_SquishBlocksFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_CopyRgbaFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ZenthorImportPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_ZenthorImportKeepFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_ImageMagickConvert)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    std::vector<zenthor::bench::RatioReporter::Ratio> ratios{
        {"encode share of DDS to PNG", "BM_EncodePng", "BM_DdsToPng"},
        {"decode / libsquish blocks alone", "BM_DecodeDds", "BM_SquishBlocksFloor"},
        {"decode / copying the RGBA bytes", "BM_DecodeDds", "BM_CopyRgbaFloor"},
        {"encode / copying the RGBA bytes", "BM_EncodePng", "BM_CopyRgbaFloor"},
        {"encode / DDS decode (target at most 4)", "BM_EncodePng", "BM_DecodeDds"},
        {"encode size / stb_zlib2_Paeth's (target at most 1.1)", "BM_EncodePng", "BM_Png/stb_zlib2_Paeth",
         "png_MiB"},
        {"zenthor import --textures png / convert (target at most 0.05)", "BM_ZenthorImportPng",
         "BM_ImageMagickConvert"},
        {"zenthor's PNG size / convert's", "BM_ZenthorImportPng", "BM_ImageMagickConvert", "png_MiB"},
        {"zenthor import --textures keep (the process floor) / convert", "BM_ZenthorImportKeepFloor",
         "BM_ImageMagickConvert"},
    };
    for (const Candidate& candidate : Candidates()) {
        benchmark::RegisterBenchmark(candidate.name.c_str(), MeasurePngWriter, candidate.write)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0)
            ->UseRealTime();
        const std::string name = candidate.name.substr(3);
        ratios.push_back({name + " / DDS decode", candidate.name, "BM_DecodeDds"});
        ratios.push_back(
            {name + " size / stb_zlib2_Paeth's", candidate.name, "BM_Png/stb_zlib2_Paeth", "png_MiB"});
    }
    zenthor::bench::RatioReporter reporter(std::move(ratios));
    return zenthor::bench::RunBenchmarks(
        argc, argv, [] { TheFixture(); }, [] { TheProcessFixture().reset(); }, &reporter);
}
