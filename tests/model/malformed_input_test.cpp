// Hostile input: each class of malformed file, then every sample file truncated at every
// length and patched at every offset. Files are served from exactly-sized heap copies so
// that the sanitizer build catches any read past a file's end.
#include <gtest/gtest.h>

#include "tests/model/loader_test_util.h"
#include "tests/support/sample_content.h"

namespace zenthor {
namespace {

using namespace test;

// What must hold of any loaded model, however broken its files were.
void ExpectSoundModel(const CZenthorModel& model) {
    EXPECT_EQ(model.currentMesh, nullptr);
    for (int i = 0; i < model.GetMeshCount(); ++i) {
        const ModelMesh* mesh = model.GetMesh(i);
        ASSERT_NE(mesh, nullptr);
        ASSERT_GT(mesh->vertexCount, 0u);
        ASSERT_GT(mesh->indexCount, 0u);
        // Touch every element, so that a short array shows up under the sanitizers.
        float sum = 0;
        for (std::uint32_t v = 0; v < mesh->vertexCount; ++v) {
            sum += mesh->vertices[v].uv[1] + mesh->vertices[v].boneWeights[3];
        }
        std::uint32_t indexSum = 0;
        for (std::uint32_t k = 0; k < mesh->indexCount; ++k) {
            indexSum += mesh->indices[k];
        }
        (void)sum;
        (void)indexSum;
    }
}

Chunk Resized(Chunk chunk, std::uint32_t declared) {
    chunk.declaredSize = declared;
    return chunk;
}

struct MalformedCase {
    const char* name;
    std::vector<Chunk> file;
    int meshes;                          // records expected
    SkipReason reason;                   // a diagnostic expected
    const char* firstTexture = nullptr;  // of the first record, when checked
};

std::vector<MalformedCase> MalformedCases() {
    const MeshDesc tri = TriangleMesh("tex", "mat");
    const Chunk good = MeshEntry(tri);
    const auto withSub = [&](Chunk sub) {
        return MeshEntry({MeshTexturesChunk("bad", "bad", ""), StaticVerticesChunk(tri.staticVertices),
                          IndicesChunk(tri.indices), std::move(sub)});
    };
    Chunk unterminatedNames = RawChunk(2, {'b', 'r', 'i'});
    Chunk shortHeader = RawChunk(1, Bytes(10, 7));
    Chunk aliasNoNul = RawChunk(29, {'t', 'e', 'x', '=', 'o', 'k'});
    Chunk refsNoNul = RawChunk(16, {1, 0, 0, 0, 'n', 'o', 'p', 'e'});

    std::vector<MalformedCase> cases;
    cases.push_back({"top chunk past the end of the file",
                     {Resized(MeshesChunk({good}), 100000)},
                     1,
                     SkipReason::ChunkCutShort});
    cases.push_back({"entry past the end of its list",
                     {MeshesChunk({Resized(good, 5000), good})},
                     1,
                     SkipReason::ChunkCutShort});
    cases.push_back({"sub-chunk past the end of its entry",
                     {MeshesChunk({MeshEntry({StaticVerticesChunk(tri.staticVertices),
                                              Resized(IndicesChunk(tri.indices), 900)})})},
                     1,
                     SkipReason::ChunkCutShort});
    cases.push_back({"vertex count beyond its payload",
                     {MeshesChunk({withSub(StaticVerticesChunk(tri.staticVertices, 4)), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"vertex count of 2^32-1",
                     {MeshesChunk({withSub(StaticVerticesChunk({}, 0xFFFFFFFFu)), good})},
                     1,
                     SkipReason::MeshDropped,
                     "tex"});
    cases.push_back({"index count beyond its payload",
                     {MeshesChunk({withSub(IndicesChunk(tri.indices, 4)), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"index count of 2^32-1",
                     {MeshesChunk({withSub(IndicesChunk({}, 0xFFFFFFFFu)), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"index chunk without its count",
                     {MeshesChunk({withSub(RawChunk(4, {3, 0})), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"vertex chunk without its count",
                     {MeshesChunk({withSub(RawChunk(3, {0, 0, 0, 0, 3})), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"bones beyond their payload",
                     {MeshesChunk({withSub(RawChunk(5, {200, 1, 2, 3})), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back({"empty skinned chunk",
                     {MeshesChunk({withSub(RawChunk(5, {})), good})},
                     1,
                     SkipReason::CountCutShort,
                     "tex"});
    cases.push_back(
        {"skinned count beyond its payload",
         {MeshesChunk({withSub(SkinnedVerticesChunk(SkinnedQuadMesh("", "").skinnedVertices, 3, 5)), good})},
         1,
         SkipReason::CountCutShort,
         "tex"});
    cases.push_back({"names without NUL",
                     {MeshesChunk({MeshEntry({unterminatedNames, StaticVerticesChunk(tri.staticVertices),
                                              IndicesChunk(tri.indices)})})},
                     1,
                     SkipReason::StringUnterminated,
                     "bri"});
    cases.push_back({"header shorter than 64 bytes",
                     {MeshesChunk({MeshEntry({shortHeader, StaticVerticesChunk(tri.staticVertices),
                                              IndicesChunk(tri.indices)})})},
                     1,
                     SkipReason::HeaderShort});
    cases.push_back({"alias text without NUL",
                     {aliasNoNul, MeshesChunk({good})},
                     1,
                     SkipReason::StringUnterminated,
                     "ok"});
    cases.push_back({"reference count beyond its strings",
                     {MeshRefsChunk({"zz"}, 1000), MeshesChunk({good})},
                     1,
                     SkipReason::CountCutShort});
    cases.push_back({"reference count of 2^32-1 and nothing after",
                     {MeshRefsChunk({}, 0xFFFFFFFFu), MeshesChunk({good})},
                     1,
                     SkipReason::CountCutShort});
    cases.push_back(
        {"reference list without NUL", {refsNoNul, MeshesChunk({good})}, 1, SkipReason::StringUnterminated});
    cases.push_back({"reference chunk without its count",
                     {RawChunk(16, {1}), MeshesChunk({good})},
                     1,
                     SkipReason::CountCutShort});
    cases.push_back({"end marker hides the rest",
                     {MeshesChunk({good}), RawChunk(0xFFFFFFFFu, {}), MeshesChunk({good})},
                     1,
                     SkipReason::LevelEndedEarly});
    return cases;
}

TEST(MalformedInput, EachClassIsBoundedAndReported) {
    for (const MalformedCase& c : MalformedCases()) {
        SCOPED_TRACE(c.name);
        LoadResult r = LoadFromMemory({{MeshPath("x"), Serialize(c.file)}}, MeshPath("x"));
        ExpectSoundModel(*r.model);
        EXPECT_EQ(r.model->GetMeshCount(), c.meshes);
        EXPECT_GT(r.log.Count(c.reason), 0u);
        if (c.firstTexture != nullptr && r.model->GetMeshCount() > 0) {
            EXPECT_EQ(r.model->GetMesh(0)->textureName, c.firstTexture);
        }
    }
}

TEST(MalformedInput, TrailingBytesAfterTheLastChunk) {
    Bytes file = Serialize({MeshesChunk({MeshEntry(TriangleMesh("t", "m"))})});
    file.insert(file.end(), {1, 2, 3});
    LoadResult r = LoadFromMemory({{MeshPath("x"), file}}, MeshPath("x"));
    EXPECT_EQ(r.model->GetMeshCount(), 1);
    EXPECT_EQ(r.log.Count(SkipReason::TrailingBytes), 1u);
    ASSERT_EQ(r.log.diagnostics.size(), 1u);
    EXPECT_EQ(r.log.diagnostics[0].offset, file.size() - 3);
}

// Every sample file, and the two smallest files, mutated and loaded within the sample tree.
std::map<std::string, Bytes> SweepTree() {
    std::map<std::string, Bytes> tree;
    for (auto& [relative, bytes] : SampleContentFiles()) {
        std::string path = kRoot + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        tree[path] = std::move(bytes);
    }
    return tree;
}

void LoadMutated(const std::map<std::string, Bytes>& tree, const std::string& target, Bytes mutated) {
    std::map<std::string, Bytes> files = tree;
    files[target] = std::move(mutated);
    const std::string picked = target.ends_with(".mesh") ? target : kRoot + "models\\sample.model";
    for (bool lods : {false, true}) {
        LoadResult r = LoadFromMemory(files, picked, lods);
        ExpectSoundModel(*r.model);
        EXPECT_EQ(r.loaded, r.model->GetMeshCount() > 0);
    }
}

TEST(MalformedInput, EverySampleFileTruncatedAndPatchedEverywhere) {
    const std::map<std::string, Bytes> tree = SweepTree();
    for (const auto& [path, bytes] : tree) {
        if (!path.ends_with(".model") && !path.ends_with(".mesh")) {
            continue;
        }
        SCOPED_TRACE(path);
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            LoadMutated(tree, path,
                        Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
        }
        for (std::size_t offset = 0; offset < bytes.size(); ++offset) {
            for (int patch = 0; patch < 4; ++patch) {
                Bytes mutated = bytes;
                const std::uint8_t values[4] = {static_cast<std::uint8_t>(bytes[offset] + 1),
                                                static_cast<std::uint8_t>(bytes[offset] - 1), 0x00, 0xFF};
                mutated[offset] = values[patch];
                LoadMutated(tree, path, std::move(mutated));
            }
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace zenthor
