// Turning a 2048x2048 DXT5 texture into PNG bytes, on one thread: decoding the DDS file to
// RGBA (DecodeDds), encoding the PNG (EncodePng), and both. Floors measured in the same
// run: libsquish decoding the same blocks into a scratch block (the codec alone, without
// placing pixels) and copying the 16 MiB of RGBA. The closing lines give the encoder's
// share of the whole and each step against its floor.
//
// The texture is made of smooth waves with a little noise in every channel, alpha
// included, then compressed, so the PNG encoder sees what a decoded texture looks like.
#include <benchmark/benchmark.h>
#include <squish.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench/bench_main.h"
#include "bench/ratio_reporter.h"
#include "tests/support/dds_writer.h"
#include "texture/dds_decoder.h"
#include "texture/png_encoder.h"

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

void BM_EncodePng(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    std::size_t pngBytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> png = EncodePng(fixture.decoded);
        pngBytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_MiB"] = static_cast<double>(pngBytes) / (1024.0 * 1024.0);
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

BENCHMARK(BM_DecodeDds)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();
BENCHMARK(BM_DdsToPng)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();
BENCHMARK(BM_SquishBlocksFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_CopyRgbaFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    zenthor::bench::RatioReporter reporter({
        {"encode share of DDS to PNG", "BM_EncodePng", "BM_DdsToPng"},
        {"decode / libsquish blocks alone", "BM_DecodeDds", "BM_SquishBlocksFloor"},
        {"decode / copying the RGBA bytes", "BM_DecodeDds", "BM_CopyRgbaFloor"},
        {"encode / copying the RGBA bytes", "BM_EncodePng", "BM_CopyRgbaFloor"},
    });
    return zenthor::bench::RunBenchmarks(
        argc, argv, [] { TheFixture(); }, [] {}, &reporter);
}
