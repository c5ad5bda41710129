#include "app/output/thumbnail.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "app/output/scene_export.h"
#include "host/bitmap_tex.h"
#include "host/host_scene.h"
#include "host/mtl.h"
#include "host/std_mat2.h"

namespace zenthor {
namespace {

// Drawn at twice the size and averaged down, for smooth edges.
constexpr int kScale = 2;
constexpr int kSide = static_cast<int>(kThumbnailSize) * kScale;

using Vec3 = std::array<float, 3>;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
float Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 Normalized(const Vec3& v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0 ? Vec3{v[0] / length, v[1] / length, v[2] / length} : Vec3{0, 0, 0};
}

// The view: looking down at the scene from the front right, in the output's Y-up axes.
struct Camera {
    Vec3 right;
    Vec3 up;
    Vec3 forward;  // towards the viewer
    Vec3 centre;
    float scale = 1;  // world units to pixels

    // Pixel x, y (y down) and depth (larger is nearer).
    Vec3 Project(const Vec3& p) const {
        const Vec3 d = Sub(p, centre);
        return {kSide / 2.0f + Dot(d, right) * scale, kSide / 2.0f - Dot(d, up) * scale, Dot(d, forward)};
    }
};

struct Canvas {
    std::vector<float> depth = std::vector<float>(kSide * kSide, -std::numeric_limits<float>::infinity());
    std::vector<std::array<std::uint8_t, 4>> colour = std::vector<std::array<std::uint8_t, 4>>(kSide * kSide);
};

std::array<std::uint8_t, 4> Sample(const RgbaImage* texture, float u, float v) {
    if (texture == nullptr || texture->width == 0 || texture->height == 0) {
        return {200, 200, 205, 255};
    }
    // Repeat outside 0..1, as the viewers do.
    u -= std::floor(u);
    v -= std::floor(v);
    const auto x = std::min(texture->width - 1, static_cast<std::uint32_t>(u * static_cast<float>(texture->width)));
    const auto y = std::min(texture->height - 1, static_cast<std::uint32_t>(v * static_cast<float>(texture->height)));
    const std::uint8_t* p = &texture->pixels[(std::size_t{y} * texture->width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

struct Corner {
    Vec3 screen;
    float u, v;
    float light;
};

void DrawTriangle(Canvas& canvas, const Corner (&c)[3], const RgbaImage* texture, bool cutOut) {
    const float area = (c[1].screen[0] - c[0].screen[0]) * (c[2].screen[1] - c[0].screen[1]) -
                       (c[2].screen[0] - c[0].screen[0]) * (c[1].screen[1] - c[0].screen[1]);
    if (!(std::fabs(area) > 1e-12f)) {
        return;
    }
    const auto lo = [&](int k) { return std::max(0, static_cast<int>(std::floor(std::min({c[0].screen[k], c[1].screen[k], c[2].screen[k]})))); };
    const auto hi = [&](int k) { return std::min(kSide - 1, static_cast<int>(std::ceil(std::max({c[0].screen[k], c[1].screen[k], c[2].screen[k]})))); };
    for (int y = lo(1); y <= hi(1); ++y) {
        for (int x = lo(0); x <= hi(0); ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            float w[3];
            for (int i = 0; i < 3; ++i) {
                const Corner& a = c[(i + 1) % 3];
                const Corner& b = c[(i + 2) % 3];
                w[i] = ((b.screen[0] - a.screen[0]) * (py - a.screen[1]) - (px - a.screen[0]) * (b.screen[1] - a.screen[1])) / area;
            }
            if (w[0] < 0 || w[1] < 0 || w[2] < 0) {
                continue;
            }
            const float z = w[0] * c[0].screen[2] + w[1] * c[1].screen[2] + w[2] * c[2].screen[2];
            float& depth = canvas.depth[static_cast<std::size_t>(y) * kSide + x];
            if (z <= depth) {
                continue;
            }
            const std::array<std::uint8_t, 4> texel = Sample(texture, w[0] * c[0].u + w[1] * c[1].u + w[2] * c[2].u,
                                                             w[0] * c[0].v + w[1] * c[1].v + w[2] * c[2].v);
            if (cutOut && texel[3] < 128) {
                continue;
            }
            depth = z;
            const float light = w[0] * c[0].light + w[1] * c[1].light + w[2] * c[2].light;
            auto& out = canvas.colour[static_cast<std::size_t>(y) * kSide + x];
            for (int k = 0; k < 3; ++k) {
                out[k] = static_cast<std::uint8_t>(std::clamp(static_cast<float>(texel[k]) * light, 0.0f, 255.0f));
            }
            out[3] = 255;
        }
    }
}

const RgbaImage* DiffuseTexture(const HostNode& node, const TextureLookup& textures, bool& cutOut) {
    cutOut = false;
    const Mtl* material = node.Material();
    const auto* bitmap = material != nullptr ? dynamic_cast<const BitmapTex*>(material->GetSubTexmap(kDiffuseSlot)) : nullptr;
    if (bitmap == nullptr) {
        return nullptr;
    }
    cutOut = bitmap->GetAlphaAsMono() != FALSE;
    return textures(bitmap->GetMapName());
}

}  // namespace

RgbaImage RenderThumbnail(const HostScene& scene, const TextureLookup& textures) {
    ExportWarnings ignored;
    const std::vector<ExportNode> nodes = DescribeNodes(scene, "thumbnail", ignored);
    std::vector<ExportMesh> meshes;
    Vec3 low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    Vec3 high{-low[0], -low[1], -low[2]};
    for (const ExportNode& node : nodes) {
        ExportMesh mesh = BuildExportMesh(node, ignored);
        if (node.matrix) {
            for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
                const std::array<float, 3> p = TransformPoint(*node.matrix, &mesh.positions[3 * v]);
                std::copy(p.begin(), p.end(), &mesh.positions[3 * v]);
                if (!mesh.normals.empty()) {
                    const std::array<float, 3> n = TransformNormal(*node.matrix, &mesh.normals[3 * v]);
                    std::copy(n.begin(), n.end(), &mesh.normals[3 * v]);
                }
            }
        }
        for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], mesh.positions[3 * v + k]);
                high[k] = std::max(high[k], mesh.positions[3 * v + k]);
            }
        }
        meshes.push_back(std::move(mesh));
    }

    Camera camera;
    camera.forward = Normalized({0.6f, 0.55f, 0.8f});
    camera.right = Normalized(Cross({0, 1, 0}, camera.forward));
    camera.up = Cross(camera.forward, camera.right);
    Canvas canvas;
    if (low[0] <= high[0]) {
        camera.centre = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
        const float radius = std::sqrt(Dot(Sub(high, camera.centre), Sub(high, camera.centre)));
        camera.scale = radius > 0 ? 0.46f * kSide / radius : 1.0f;
        const Vec3 light = Normalized({0.3f, 0.8f, 0.6f});
        for (std::size_t n = 0; n < nodes.size(); ++n) {
            const ExportMesh& mesh = meshes[n];
            bool cutOut = false;
            const RgbaImage* texture = DiffuseTexture(*nodes[n].node, textures, cutOut);
            for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
                Corner corners[3];
                for (int k = 0; k < 3; ++k) {
                    const std::uint32_t v = mesh.indices[i + k];
                    const Vec3 p{mesh.positions[3 * v], mesh.positions[3 * v + 1], mesh.positions[3 * v + 2]};
                    const Vec3 normal = mesh.normals.empty()
                                            ? Vec3{0, 0, 0}
                                            : Normalized({mesh.normals[3 * v], mesh.normals[3 * v + 1], mesh.normals[3 * v + 2]});
                    // Both sides lit alike: game meshes are often single-sided planes.
                    const float lambert = mesh.normals.empty() ? 0.7f : std::fabs(Dot(normal, light));
                    corners[k] = {camera.Project(p), mesh.uvs[2 * v], mesh.uvs[2 * v + 1], 0.35f + 0.65f * lambert};
                }
                DrawTriangle(canvas, corners, texture, cutOut);
            }
        }
    }

    RgbaImage image;
    image.width = kThumbnailSize;
    image.height = kThumbnailSize;
    image.pixels.resize(std::size_t{kThumbnailSize} * kThumbnailSize * 4);
    for (std::uint32_t y = 0; y < kThumbnailSize; ++y) {
        for (std::uint32_t x = 0; x < kThumbnailSize; ++x) {
            // Colour weighted by coverage, so edges blend with whatever the page puts behind.
            float sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < kScale; ++dy) {
                for (int dx = 0; dx < kScale; ++dx) {
                    const auto& c = canvas.colour[(std::size_t{y} * kScale + dy) * kSide + x * kScale + dx];
                    const float a = c[3] / 255.0f;
                    for (int k = 0; k < 3; ++k) sum[k] += c[k] * a;
                    sum[3] += a;
                }
            }
            std::uint8_t* out = &image.pixels[(std::size_t{y} * kThumbnailSize + x) * 4];
            for (int k = 0; k < 3; ++k) {
                out[k] = static_cast<std::uint8_t>(sum[3] > 0 ? sum[k] / sum[3] : 0);
            }
            out[3] = static_cast<std::uint8_t>(std::lround(255.0f * sum[3] / (kScale * kScale)));
        }
    }
    return image;
}

RgbaImage NoPictureThumbnail() {
    RgbaImage image;
    image.width = image.height = kThumbnailSize;
    image.pixels.assign(std::size_t{kThumbnailSize} * kThumbnailSize * 4, 0);
    for (std::uint32_t i = 64; i < 192; ++i) {
        for (int w = -3; w <= 3; ++w) {
            for (std::uint32_t y : {i, kThumbnailSize - 1 - i}) {
                std::uint8_t* p = &image.pixels[(std::size_t{y} * kThumbnailSize + i + w) * 4];
                p[0] = p[1] = p[2] = 150;
                p[3] = 255;
            }
        }
    }
    return image;
}

}  // namespace zenthor
