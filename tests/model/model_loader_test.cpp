// The format writer, checked once byte for byte; the loader's walk order, aliases, content
// root, level-of-detail filter and references between files.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

#include "model/content_root.h"
#include "tests/model/loader_test_util.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using namespace test;

// The writer makes every file the tests load, so it is checked once against a one-triangle
// mesh file and a one-reference model file spelled out field by field.
TEST(ModelWriter, WritesTheFormatByteForByte) {
    const std::uint32_t one = std::bit_cast<std::uint32_t>(1.0f);
    ByteWriter mesh;
    mesh.U32(9).U32(237).U32(0).U32(229);                                   // mesh list, one entry
    mesh.U32(1).U32(64).Zeros(64);                                          // header
    mesh.U32(2).U32(19).String("brick").String("walls\\brick").String("");  // texture, material, extra
    mesh.U32(3).U32(104).U32(0).U32(3);                                     // static vertices, count 3
    for (int v = 0; v < 3; ++v) {
        mesh.U32(v == 1 ? one : 0).U32(v == 2 ? one : 0).U32(0);  // position
        mesh.U32(0).Raw(Bytes{0x80, 0x80, 0xFF, 0x00}).U32(0);    // aux1, normal (1, .5, .5), aux2
        mesh.U32(v == 1 ? one : 0).U32(v == 2 ? one : 0);         // uv
    }
    mesh.U32(4).U32(10).U32(3).U16(0).U16(1).U16(2);  // indices
    EXPECT_EQ(Serialize({MeshesChunk({MeshEntry(TriangleMesh("brick", "walls\\brick"))})}), mesh.bytes());

    const Bytes model =
        ByteWriter().U32(0x1D).U32(4).String("a=b").U32(0x10).U32(9).U32(1).String("wall").Take();
    EXPECT_EQ(Serialize({TextureAliasesChunk("a=b"), MeshRefsChunk({"wall"})}), model);
}

// m1, m2, refs "rock,rock_lod1", m5; rock holds m3 and refers to moss (m4).
std::map<std::string, Bytes> DepthFirstTree() {
    return {
        {ModelPath("scene"), Serialize({MeshesChunk({Tagged("m1"), Tagged("m2")}),
                                        MeshRefsChunk({"rock,rock_lod1"}), MeshesChunk({Tagged("m5")})})},
        {MeshPath("rock"), Serialize({MeshesChunk({Tagged("m3")}), MeshRefsChunk({"moss"})})},
        {MeshPath("moss"), Serialize({MeshesChunk({Tagged("m4")})})},
        {MeshPath("rock_lod1"), Serialize({MeshesChunk({Tagged("lod")})})},
    };
}

TEST(LoadOrder, DepthFirstWithReferencesInPlace) {
    LoadResult without = LoadFromMemory(DepthFirstTree(), ModelPath("scene"), false);
    EXPECT_EQ(without.Materials(), "m1 m2 m3 m4 m5");
    LoadResult with = LoadFromMemory(DepthFirstTree(), ModelPath("scene"), true);
    EXPECT_EQ(with.Materials(), "m1 m2 m3 m4 lod m5");

    ASSERT_EQ(without.log.references.size(), 3u);
    EXPECT_EQ(without.log.references[0].name, "rock");
    EXPECT_EQ(without.log.references[0].depth, 1);
    EXPECT_EQ(without.log.references[1].name, "moss");
    EXPECT_EQ(without.log.references[1].depth, 2);
    EXPECT_EQ(without.log.references[1].referencingFile, MeshPath("rock"));
    EXPECT_EQ(without.log.references[2].outcome, ReferenceOutcome::FilteredAsLevelOfDetail);
}

TEST(LoadOrder, ReferencesSkippedOrMissingLeaveTheRestLoading) {
    // "gone,xx,x" names gone and xx: the last piece, of one character, is dropped.
    LoadResult r =
        LoadFromMemory({{ModelPath("a"), Serialize({MeshRefsChunk({"gone,xx,x", "", "z", "xx,"})})},
                        {MeshPath("xx"), Serialize({MeshesChunk({Tagged("x")})})}},
                       ModelPath("a"));
    EXPECT_EQ(r.Materials(), "x x");
    EXPECT_EQ(r.log.Count(ReferenceOutcome::Missing), 1u);
    EXPECT_EQ(r.log.Count(SkipReason::ShortReferenceList), 2u);  // "" and "z"
}

// Whether a load succeeded is checked after every load (loaded only with a mesh kept).
TEST(LoadFailure, MissingPickedFileIsReportedUnreadable) {
    EXPECT_EQ(LoadFromMemory({}, ModelPath("a")).log.Count(SkipReason::FileUnreadable), 1u);
}

TEST(Aliases, LastEntryWinsAndRenamesOnlyEntriesReadAfterIt) {
    CZenthorModel model;
    for (const char* entry : {"a=b", "a=c", "k=v=w", "e=", "plain", "=x", " s = t "}) {
        model.AddTextureAlias(entry);
    }
    const std::map<std::string, std::string> expected = {
        {"a", "c"}, {"k", "v=w"}, {"e", ""}, {"", "x"}, {" s ", " t "}};
    EXPECT_EQ(model.textureAliases, expected);
    EXPECT_EQ(model.ResolveTextureAlias("a"), "c");
    EXPECT_EQ(model.ResolveTextureAlias("A"), "A");  // case counts
    EXPECT_EQ(model.ResolveTextureAlias("c"), "c");  // not looked up again

    // An alias chunk renames entries after it, in any file, for the rest of the load.
    LoadResult r = LoadFromMemory(
        {{ModelPath("a"),
          Serialize({MeshesChunk({MeshEntry(TriangleMesh("stone", "wall", "stone"))}), MeshRefsChunk({"rr"}),
                     MeshesChunk({MeshEntry(TriangleMesh("stone", "floor", "bark"))})})},
         {MeshPath("rr"), Serialize({TextureAliasesChunk("stone=granite,bark=oak,plain"),
                                     MeshesChunk({MeshEntry(TriangleMesh("stone", "stone", ""))})})}},
        ModelPath("a"));
    ASSERT_EQ(r.model->GetMeshCount(), 3);
    EXPECT_EQ(r.model->GetMesh(0)->textureName, "stone");
    EXPECT_EQ(r.model->GetMesh(1)->textureName, "granite");
    EXPECT_EQ(r.model->GetMesh(1)->materialName, "granite");  // all three names go through the table
    EXPECT_EQ(r.model->GetMesh(2)->textureName, "granite");
    EXPECT_EQ(r.model->GetMesh(2)->extraName, "oak");
    EXPECT_EQ(r.log.Count(SkipReason::AliasWithoutEquals), 1u);

    // Behind the mesh list of the same file, an alias chunk renames nothing of it.
    LoadResult behind = LoadFile(
        Serialize({MeshesChunk({MeshEntry(TriangleMesh("stone", "wall"))}), TextureAliasesChunk("stone=x")}));
    EXPECT_EQ(behind.model->GetMesh(0)->textureName, "stone");
}

TEST(SplitList, KeepsEmptyAndUntrimmedPiecesAndDropsAOneCharacterLastPiece) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"a,b,cd", {"a", "b", "cd"}},
        {"a,b,c", {"a", "b"}},  // a last piece of one character is dropped
        {"a,b,", {"a", "b"}},
        {"a,,bc", {"a", "", "bc"}},
        {",x", {""}},
        {"ab", {"ab"}},
        {"x", {}},
        {"", {}},
        {"a, b", {"a", " b"}},  // nothing is trimmed
        {",,", {"", ""}},
    };
    for (const auto& [text, pieces] : cases) {
        EXPECT_EQ(CZenthorModel::SplitList(text), pieces) << text;
    }
}

TEST(ContentRoot, CutAfterTheLastContentFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\game\\content\\meshes\\a.model", "D:\\game\\content\\"},
        {"D:\\content\\game\\content\\a.model", "D:\\content\\game\\content\\"},
        {"D:\\game\\a.model", ""},
        {"D:\\game\\Content\\a.model", ""},                  // case-sensitive
        {"D:/game/content/a.model", "D:\\game\\content\\"},  // searched after normalising
        {"D:/game\\content\\a.model", "D:\\game\\content\\"},
        {"/home/me/content/models/a.model", "\\home\\me\\content\\"},
        {"content\\a.model", ""},
        {"D:\\game\\contents\\a.model", ""},
    };
    for (const auto& [path, root] : cases) {
        EXPECT_EQ(ContentRootOf(path), root) << path;
    }
}

TEST(ContentRoot, ReferencesResolveBelowItOrBelowTheWorkingFolder) {
    LoadResult r =
        LoadFromMemory({{"D:\\game\\content\\meshes\\a.model", Serialize({MeshRefsChunk({"body"})})},
                        {"D:\\game\\content\\meshes\\body.mesh", Serialize({MeshesChunk({Tagged("b")})})}},
                       "D:/game/content/meshes/a.model");
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.log.references.at(0).path, "D:\\game\\content\\meshes\\body.mesh");

    // Without a content folder, references are looked for relative to the working folder.
    LoadResult bare = LoadFile(Serialize({MeshRefsChunk({"body"})}), "D:\\a.model");
    EXPECT_EQ(bare.log.references.at(0).path, "meshes\\body.mesh");
}

TEST(LevelOfDetail, OnlyTheNameAfterTheContentRootIsTested) {
    const std::pair<const char*, bool> names[] = {
        {"body_lod1", true}, {"wall_lodge", true}, {"body_LOD1", false},
        {"body", false},     {"lod", false},       {"_lod", true},
    };
    for (const auto& [name, isLod] : names) {
        EXPECT_EQ(IsLevelOfDetailReference(name), isLod) << name;
    }

    // A content tree below a folder named old_lods keeps its references.
    TempContentTree tree("old_lods/content");
    tree.Write("meshes/body.mesh", {MeshesChunk({Tagged("body")})});
    tree.Write("meshes/body_lod1.mesh", {MeshesChunk({Tagged("lod")})});
    const std::string model = tree.Write("models/a.model", {MeshRefsChunk({"body,body_lod1"})});
    for (const auto& [includeLods, meshes] : {std::pair{false, 1}, {true, 2}}) {
        CZenthorModel loaded;
        ASSERT_TRUE(loaded.LoadFromFile(model, includeLods));
        EXPECT_EQ(loaded.GetMeshCount(), meshes);
    }
}

TEST(LevelOfDetail, EntriesOfAnyFileAreKept) {
    LoadResult r = LoadFile(Serialize({MeshesChunk({Tagged("t")})}), MeshPath("tree_lod2"));
    EXPECT_EQ(r.Materials(), "t");
}

TEST(References, CyclesAreRefusedButRepeatsAreNot) {
    LoadResult r = LoadFromMemory(
        {{MeshPath("aa"), Serialize({MeshesChunk({Tagged("a")}), MeshRefsChunk({"bb,AA"})})},
         {MeshPath("bb"), Serialize({MeshesChunk({Tagged("b")}), MeshRefsChunk({"aa,cc,cc"})})},
         {MeshPath("cc"), Serialize({MeshesChunk({Tagged("c")}), MeshRefsChunk({"cc"})})}},
        "C:/game/content/meshes/aa.mesh");
    EXPECT_EQ(r.Materials(), "a b c c");
    // bb -> aa, cc -> cc twice, and aa -> AA (the picked file itself)
    EXPECT_EQ(r.log.Count(ReferenceOutcome::Cycle), 4u);
}

TEST(References, ChainsStopAtTheDepthLimit) {
    std::map<std::string, Bytes> files;
    const int chain = CZenthorModel::kMaxReferenceDepth + 20;
    for (int i = 0; i <= chain; ++i) {
        files[MeshPath("f" + std::to_string(i))] =
            Serialize({MeshesChunk({Tagged("f")}), MeshRefsChunk({"f" + std::to_string(i + 1)})});
    }
    LoadResult r = LoadFromMemory(files, MeshPath("f0"));
    EXPECT_EQ(r.model->GetMeshCount(), CZenthorModel::kMaxReferenceDepth + 1);
    EXPECT_EQ(r.log.Count(ReferenceOutcome::TooDeep), 1u);
}

TEST(References, RepeatsMultiplyOnlyUpToTheFileLimit) {
    std::string hundred;
    for (int i = 0; i < 101; ++i) {
        hundred += "b,";
    }
    std::string hundredC = hundred;
    std::replace(hundredC.begin(), hundredC.end(), 'b', 'c');
    LoadResult r = LoadFromMemory({{MeshPath("a"), Serialize({MeshRefsChunk({hundred})})},
                                   {MeshPath("b"), Serialize({MeshRefsChunk({hundredC})})},
                                   {MeshPath("c"), Serialize({MeshesChunk({Tagged("c")})})}},
                                  MeshPath("a"));
    EXPECT_EQ(r.log.Count(ReferenceOutcome::Loaded), CZenthorModel::kMaxReferencedFiles);
    EXPECT_GT(r.log.Count(ReferenceOutcome::LimitReached), 0u);
    const auto bOpened =
        std::count_if(r.log.references.begin(), r.log.references.end(), [](const ReferenceRecord& ref) {
            return ref.name == "b" && ref.outcome == ReferenceOutcome::Loaded;
        });
    EXPECT_EQ(r.model->GetMeshCount(), static_cast<int>(CZenthorModel::kMaxReferencedFiles - bOpened));
}

}  // namespace
}  // namespace zenthor
