// Fuzz target: the mesh builder (fill, weld, clean-up, normals) on hostile geometry. The
// input picks each coordinate from values that trouble a weld or a normal (NaN, infinities,
// huge and tiny numbers, negative zero, points in one weld cell, points spaced just over
// the weld distance) or takes it raw, and each index anywhere, including past the vertices
// and onto itself. Every built mesh must pass the mesh checker, and no input may take more
// than ten times the processor time per vertex of ordinary geometry: a slow case is a
// finding like a crash.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "host/mesh.h"
#include "model/model_mesh.h"
#include "scene/mesh_builder.h"
#include "tests/support/mesh_invariants.h"

namespace {

using zenthor::ModelMesh;
using zenthor::ModelVertex;

constexpr std::uint32_t kMaxVertices = 4096;
constexpr std::uint32_t kMaxIndices = 3 * 8192;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Reads the input front to back; past its end every read gives zero.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t U8() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
    float F32() {
        std::uint32_t bits = U16();
        bits |= static_cast<std::uint32_t>(U16()) << 16;
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

float Coordinate(Bytes& in) {
    const std::uint8_t pick = in.U8();
    const float step = static_cast<float>(pick & 0x1F);
    switch (pick >> 5) {
        case 0: {
            constexpr float kSpecial[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                          -std::numeric_limits<float>::infinity(), -0.0f, 0.0f, 1e30f, -1e30f,
                                          std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                                          1e-30f, 3.4e38f, -3.4e38f};
            return kSpecial[(pick & 0x1F) % std::size(kSpecial)];
        }
        case 1: return step * 0.0001f;     // all within one weld cell
        case 2: return step * 0.0010001f;  // just over the weld distance apart
        case 3: return step * 0.000999f;   // just under it: chains
        case 4: return 1e6f + step * 0.001f;  // where float steps are coarse
        default: return in.F32();
    }
}

std::unique_ptr<ModelMesh> MeshFrom(Bytes& in, std::uint32_t vertices, std::uint32_t indices) {
    auto mesh = std::make_unique<ModelMesh>();
    mesh->vertexCount = vertices;
    mesh->indexCount = indices;
    mesh->vertices = std::make_unique<ModelVertex[]>(vertices);
    mesh->indices = std::make_unique<std::uint16_t[]>(indices);
    for (std::uint32_t v = 0; v < vertices; ++v) {
        ModelVertex& vertex = mesh->vertices[v];
        for (float& c : vertex.position) c = Coordinate(in);
        for (float& c : vertex.normal) c = static_cast<float>(in.U8()) / 255.0f;
        for (float& c : vertex.uv) c = Coordinate(in);
    }
    for (std::uint32_t i = 0; i < indices; ++i) {
        mesh->indices[i] = static_cast<std::uint16_t>(in.U16() % (vertices + 4));
    }
    return mesh;
}

// Processor seconds per vertex of ordinary geometry (random points, random triangles), in
// this build, measured once.
double TypicalSecondsPerVertex() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f);
    std::uint8_t bytes[kMaxVertices * 40 + kMaxIndices * 2];
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random() | 0xE0);  // raw floats
    double best = std::numeric_limits<double>::max();
    for (int round = 0; round < 5; ++round) {
        Bytes in(bytes, sizeof bytes);
        auto mesh = MeshFrom(in, kMaxVertices, kMaxIndices);
        for (std::uint32_t v = 0; v < kMaxVertices; ++v) {
            for (float& c : mesh->vertices[v].position) c = coordinate(random);
        }
        for (std::uint32_t i = 0; i < kMaxIndices; ++i) mesh->indices[i] = static_cast<std::uint16_t>(random() % kMaxVertices);
        Mesh host;
        const double start = CpuSeconds();
        zenthor::BuildMesh(*mesh, host, 0);
        best = std::min(best, CpuSeconds() - start);
    }
    return best / kMaxVertices;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const double typical = TypicalSecondsPerVertex();
    Bytes in(data, size);
    const std::uint32_t vertices = 1 + in.U16() % kMaxVertices;
    const std::uint32_t indices = in.U16() % (kMaxIndices + 1);
    const auto mesh = MeshFrom(in, vertices, indices);

    const DWORD smoothingGroupIndex = in.U8();
    Mesh host;
    double seconds = CpuSeconds();
    zenthor::BuildMesh(*mesh, host, smoothingGroupIndex);
    seconds = CpuSeconds() - seconds;

    for (const std::string& fault : zenthor::test::MeshInvariantFaults(host)) {
        std::fprintf(stderr, "invariant broken: %s\n", fault.c_str());
        std::abort();
    }
    // Ten times the typical cost of as many vertices and faces, and a few milliseconds for
    // the fixed costs of a small mesh.
    const double allowed = 10.0 * typical * (vertices + indices / 3.0) + 0.02;
    // A slow build is built twice more, so an interruption of the process is not a finding.
    for (int again = 0; again < 2 && seconds > allowed; ++again) {
        Mesh retry;
        double retried = CpuSeconds();
        zenthor::BuildMesh(*mesh, retry, smoothingGroupIndex);
        seconds = std::min(seconds, CpuSeconds() - retried);
    }
    if (seconds > allowed) {
        std::fprintf(stderr, "slow: %.1f ms for %u vertices and %u indices, %.1f ms allowed\n", seconds * 1e3,
                     vertices, indices, allowed * 1e3);
        std::abort();
    }
    return 0;
}
