#include "tests/support/sample_content.h"

#include "tests/support/temp_content_tree.h"

namespace zenthor::test {
namespace {

// A 4x4 uncompressed 32-bit texture of one colour: the 4-byte magic, the 124-byte
// surface description and the pixels.
Bytes PlaceholderTexture(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    constexpr std::uint32_t kSize = 4;
    ByteWriter w;
    w.Raw("DDS ");
    w.U32(124);                             // size of the description
    w.U32(0x1 | 0x2 | 0x4 | 0x1000 | 0x8);  // caps, height, width, pixel format, pitch
    w.U32(kSize).U32(kSize);                // height, width
    w.U32(kSize * 4);                       // pitch
    w.U32(0).U32(0);                        // depth, mipmap count
    w.Zeros(11 * 4);                        // reserved
    w.U32(32).U32(0x41);                    // pixel format: size, RGB with alpha
    w.U32(0).U32(32);                       // no four-character code, 32 bits per pixel
    w.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF).U32(0xFF000000);  // channel masks
    w.U32(0x1000).U32(0).U32(0).U32(0).U32(0);                          // texture caps, reserved
    for (std::uint32_t i = 0; i < kSize * kSize; ++i) {
        w.U8(blue).U8(green).U8(red).U8(255);
    }
    return w.Take();
}

}  // namespace

std::map<std::string, Bytes> SampleContentFiles() {
    std::map<std::string, Bytes> files;

    const float origin[3] = {0, 0, 0};
    const float crateCentre[3] = {0, 0, 0.5f};
    const float pillarCentre[3] = {3, 0, 1};

    MeshDesc pedestal = BoxMesh("stone_old", "props\\pedestal", 2.0f, origin);
    MeshDesc pillar = BoxMesh("stone_old", "props\\pillar", 0.5f, pillarCentre);
    MeshDesc banner = SkinnedQuadMesh("cloth", "props\\banner", 2);

    // The aliases stand first so that they rename the textures of every mesh after them;
    // chunk id 12 is one the reader steps over.
    files["models/sample.model"] = Serialize({
        TextureAliasesChunk("stone_old=stone,bark=tree_bark"),
        MeshesChunk({MeshEntry(pedestal), MeshEntry(pillar), MeshEntry(banner)}),
        RawChunk(12, {1, 2, 3, 4}),
        MeshRefsChunk({"crate,crate_lod1"}),
    });

    MeshDesc crate = BoxMesh("crate", "props\\crate", 1.0f, crateCentre);
    files["meshes/crate.mesh"] = Serialize({MeshesChunk({MeshEntry(crate)})});

    MeshDesc crateLod = BoxMesh("crate", "props\\crate_lod1", 1.0f, crateCentre);
    files["meshes/crate_lod1.mesh"] = Serialize({MeshesChunk({MeshEntry(crateLod)})});

    files["textures/stone.2048.dds"] = PlaceholderTexture(128, 128, 120);
    files["textures/crate.1024.dds"] = PlaceholderTexture(150, 100, 50);
    files["textures/cloth.512.dds"] = PlaceholderTexture(160, 20, 30);
    return files;
}

void WriteSampleContent(const std::filesystem::path& contentFolder) {
    for (const auto& [relative, bytes] : SampleContentFiles()) WriteFile(contentFolder / relative, bytes);
}

}  // namespace zenthor::test
