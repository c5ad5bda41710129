// Hostile input: each class of malformed file, then every sample file truncated at every
// length and patched at every offset. Files are served from exactly-sized heap copies so
// that the sanitizer build catches any read past a file's end.
#include <gtest/gtest.h>

#include "tests/model/loader_test_util.h"
#include "tests/support/sample_content.h"

namespace zenthor {
namespace {

using namespace test;

Chunk Resized(Chunk chunk, std::uint32_t declared) {
    chunk.declaredSize = declared;
    return chunk;
}

// A file of which one mesh record is expected to be kept.
struct MalformedCase {
    const char* name;
    std::vector<Chunk> file;
    SkipReason reason;                   // a diagnostic expected
    const char* firstTexture = nullptr;  // of the record kept, when checked
};

std::vector<MalformedCase> MalformedCases() {
    using R = SkipReason;
    const MeshDesc tri = TriangleMesh("tex", "mat");
    const Chunk good = MeshEntry(tri);
    // A whole entry named "bad" whose last sub-chunk is `sub`, then a good entry.
    const auto badSub = [&](const char* name, Chunk sub, SkipReason reason) {
        return MalformedCase{name,
                             {MeshesChunk({MeshEntry({MeshTexturesChunk("bad", "bad", ""),
                                                      StaticVerticesChunk(tri.staticVertices),
                                                      IndicesChunk(tri.indices), std::move(sub)}),
                                           good})},
                             reason,
                             "tex"};
    };
    // One entry whose first sub-chunk is `first`.
    const auto entryWith = [&](Chunk first) {
        return MeshesChunk({MeshEntry(
            {std::move(first), StaticVerticesChunk(tri.staticVertices), IndicesChunk(tri.indices)})});
    };
    const auto skinned = SkinnedQuadMesh("", "").skinnedVertices;
    return {
        {"top chunk past the end of the file", {Resized(MeshesChunk({good}), 100000)}, R::ChunkCutShort},
        {"entry past the end of its list", {MeshesChunk({Resized(good, 5000), good})}, R::ChunkCutShort},
        {"sub-chunk past the end of its entry",
         {MeshesChunk({MeshEntry(
             {StaticVerticesChunk(tri.staticVertices), Resized(IndicesChunk(tri.indices), 900)})})},
         R::ChunkCutShort},
        badSub("vertex count beyond its payload", StaticVerticesChunk(tri.staticVertices, 4),
               R::CountCutShort),
        badSub("vertex count of 2^32-1", StaticVerticesChunk({}, 0xFFFFFFFFu), R::MeshDropped),
        badSub("index count beyond its payload", IndicesChunk(tri.indices, 4), R::CountCutShort),
        badSub("index count of 2^32-1", IndicesChunk({}, 0xFFFFFFFFu), R::CountCutShort),
        badSub("index chunk without its count", RawChunk(4, {3, 0}), R::CountCutShort),
        badSub("vertex chunk without its count", RawChunk(3, {0, 0, 0, 0, 3}), R::CountCutShort),
        badSub("bones beyond their payload", RawChunk(5, {200, 1, 2, 3}), R::CountCutShort),
        badSub("empty skinned chunk", RawChunk(5, {}), R::CountCutShort),
        badSub("skinned count beyond its payload", SkinnedVerticesChunk(skinned, 3, 5), R::CountCutShort),
        {"names without NUL", {entryWith(RawChunk(2, {'b', 'r', 'i'}))}, R::StringUnterminated, "bri"},
        {"header shorter than 64 bytes", {entryWith(RawChunk(1, Bytes(10, 7)))}, R::HeaderShort},
        {"alias text without NUL",
         {RawChunk(29, {'t', 'e', 'x', '=', 'o', 'k'}), MeshesChunk({good})},
         R::StringUnterminated,
         "ok"},
        {"reference count beyond its strings",
         {MeshRefsChunk({"zz"}, 1000), MeshesChunk({good})},
         R::CountCutShort},
        {"reference count of 2^32-1 and nothing after",
         {MeshRefsChunk({}, 0xFFFFFFFFu), MeshesChunk({good})},
         R::CountCutShort},
        {"reference list without NUL",
         {RawChunk(16, {1, 0, 0, 0, 'n', 'o', 'p', 'e'}), MeshesChunk({good})},
         R::StringUnterminated},
        {"reference chunk without its count", {RawChunk(16, {1}), MeshesChunk({good})}, R::CountCutShort},
        {"end marker hides the rest",
         {MeshesChunk({good}), RawChunk(0xFFFFFFFFu, {}), MeshesChunk({good})},
         R::LevelEndedEarly},
    };
}

TEST(MalformedInput, EachClassIsBoundedAndReported) {
    for (const MalformedCase& c : MalformedCases()) {
        SCOPED_TRACE(c.name);
        LoadResult r = LoadFile(Serialize(c.file));
        ASSERT_EQ(r.model->GetMeshCount(), 1);
        EXPECT_GT(r.log.Count(c.reason), 0u);
        if (c.firstTexture != nullptr) {
            EXPECT_EQ(r.model->GetMesh(0)->textureName, c.firstTexture);
        }
    }
}

// Fewer bytes than a chunk header after the last chunk: reported where they start.
TEST(MalformedInput, TrailingBytesAfterTheLastChunk) {
    for (std::size_t stray : {1, 7}) {
        Bytes file = Serialize({MeshesChunk({MeshEntry(TriangleMesh("t", "m"))})});
        file.insert(file.end(), stray, 0xAB);
        LoadResult r = LoadFile(file);
        EXPECT_EQ(r.model->GetMeshCount(), 1);
        ASSERT_EQ(r.log.diagnostics.size(), 1u) << stray;
        EXPECT_EQ(r.log.diagnostics[0].reason, SkipReason::TrailingBytes);
        EXPECT_EQ(r.log.diagnostics[0].offset, file.size() - stray);
    }
}

// The sample tree in memory, in which every file is mutated and loaded in turn.
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
        LoadFromMemory(files, picked, lods);  // which checks what the load left behind
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
            const std::uint8_t b = bytes[offset];
            for (std::uint8_t patch :
                 {std::uint8_t(b + 1), std::uint8_t(b - 1), std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
                Bytes mutated = bytes;
                mutated[offset] = patch;
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
