// model_load_seeds FOLDER: writes the starting corpus of the model_load fuzz target, made
// by the format writer: the sample tree, a one-triangle mesh and model, reference trees with order,
// cycles and level-of-detail files, skinned meshes, and malformed variants.
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/seed_main.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"

namespace {

using namespace zenthor::test;
using zenthor::fuzz::VirtualFile;

VirtualFile Mesh(const std::string& name, const std::vector<Chunk>& chunks) {
    return {name, Serialize(chunks)};
}

VirtualFile Picked(const std::vector<Chunk>& chunks) {
    return {"", Serialize(chunks)};
}

Chunk Tagged(const std::string& tag) {
    return MeshEntry(TriangleMesh("t_" + tag, tag));
}

std::map<std::string, std::vector<VirtualFile>> Trees() {
    std::map<std::string, std::vector<VirtualFile>> seeds;

    std::vector<VirtualFile> sample(1);
    for (const auto& [relative, bytes] : SampleContentFiles()) {
        if (relative == "models/sample.model") {
            sample[0].bytes = bytes;
        } else if (relative.starts_with("meshes/")) {
            sample.push_back({relative.substr(7, relative.size() - 12), bytes});
        }
    }
    seeds["sample-tree"] = sample;

    const Chunk wall = MeshesChunk({MeshEntry(TriangleMesh("brick", "walls\\brick"))});
    seeds["one-triangle-mesh"] = {Picked({wall})};
    seeds["one-triangle-model"] = {Picked({TextureAliasesChunk("a=b"), MeshRefsChunk({"wall"})}),
                                   Mesh("wall", {wall})};

    seeds["depth-first"] = {
        Picked({MeshesChunk({Tagged("m1"), Tagged("m2")}), MeshRefsChunk({"rock,rock_lod1"}),
                MeshesChunk({Tagged("m5")})}),
        Mesh("rock", {MeshesChunk({Tagged("m3")}), MeshRefsChunk({"moss"})}),
        Mesh("moss", {MeshesChunk({Tagged("m4")})}),
        Mesh("rock_lod1", {MeshesChunk({Tagged("l")})}),
    };
    seeds["cycle"] = {
        Picked({MeshRefsChunk({"aa,bb,aa"})}),
        Mesh("aa", {MeshesChunk({Tagged("a")}), MeshRefsChunk({"aa,bb"})}),
        Mesh("bb", {MeshRefsChunk({"aa", "cc,cc,"}), MeshesChunk({Tagged("b")})}),
        Mesh("cc", {TextureAliasesChunk("t_c=renamed,x=y=z,plain"), MeshesChunk({Tagged("c")})})};
    seeds["skinned"] = {Picked({MeshesChunk({MeshEntry(SkinnedQuadMesh("cloth", "banner", 3)),
                                             MeshEntry(SkinnedQuadMesh("cloth", "flag", 0))})})};

    const MeshDesc tri = TriangleMesh("t", "m");
    seeds["counts-beyond-payload"] = {Picked({MeshesChunk({
        MeshEntry({StaticVerticesChunk(tri.staticVertices, 4), IndicesChunk(tri.indices)}),
        MeshEntry({StaticVerticesChunk(tri.staticVertices), IndicesChunk(tri.indices, 0xFFFFFFFFu)}),
        MeshEntry(
            {SkinnedVerticesChunk(SkinnedQuadMesh("", "").skinnedVertices, 2, 9), IndicesChunk(tri.indices)}),
        Tagged("ok"),
    })})};
    Chunk oversized = MeshesChunk({Tagged("big")});
    oversized.declaredSize = 100000;
    seeds["oversized-chunk"] = {Picked({TextureAliasesChunk("t_big=small"), oversized})};
    seeds["end-marker-and-trailing"] = {Picked({MeshesChunk({Tagged("a")}), RawChunk(12, {1, 2, 3}),
                                                RawChunk(0xFFFFFFFFu, {}), MeshesChunk({Tagged("b")})})};
    seeds["references-odd-lists"] = {
        Picked({MeshRefsChunk({"", "x", "aa,,bb", ",x", "aa, bb", "aa_lod0,aa"}, 9)}),
        Mesh("aa", {MeshesChunk({Tagged("a")})}), Mesh("bb", {MeshesChunk({Tagged("b")})}),
        Mesh("aa_lod0", {MeshesChunk({Tagged("l")})})};
    return seeds;
}

}  // namespace

namespace zenthor::fuzz {

std::map<std::string, std::vector<std::uint8_t>> Seeds() {
    std::map<std::string, std::vector<std::uint8_t>> seeds;
    for (const auto& [name, files] : Trees()) seeds[name] = JoinInput(files);
    return seeds;
}

}  // namespace zenthor::fuzz
