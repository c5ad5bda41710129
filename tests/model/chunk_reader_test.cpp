// The chunk reader's level semantics and its bounds on malformed ranges.
#include <gtest/gtest.h>

#include "model/chunk_reader.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::RawChunk;
using test::Serialize;

// A reader over an exactly-sized heap copy, so that AddressSanitizer sees any read past its end.
struct Covered {
    explicit Covered(const Bytes& bytes) : data(bytes.begin(), bytes.end()) {
        reader.Cover(data.data(), data.size());
    }
    Bytes data;
    CChunkReader reader;
};

TEST(ChunkReaderLevels, FreshReaderIsEmpty) {
    CChunkReader reader;
    CChunkReader child;
    EXPECT_EQ(reader.GetChunkId(), 0u);
    EXPECT_EQ(reader.NextChunk(child), -1);
}

TEST(ChunkReaderLevels, FewerThanEightBytesHoldNoChunkAndLeaveTheChildAlone) {
    Covered outer(Serialize({RawChunk(5, {1, 2, 3})}));
    CChunkReader child;
    ASSERT_EQ(outer.reader.NextChunk(child), 5);
    Covered seven(Bytes{1, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(seven.reader.NextChunk(child), -1);
    EXPECT_EQ(child.GetChunkId(), 5u);  // still bound to the earlier chunk
    EXPECT_EQ(child.Size(), 3u);
}

TEST(ChunkReaderLevels, ExactlyEightBytesHoldOneEmptyChunk) {
    Covered file(ByteWriter().U32(42).U32(0).Take());
    CChunkReader child;
    CChunkReader grandchild;
    EXPECT_EQ(file.reader.NextChunk(child), 42);
    EXPECT_EQ(child.Size(), 0u);
    EXPECT_EQ(child.NextChunk(grandchild), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);  // exhausted stays exhausted
}

TEST(ChunkReaderLevels, PartlyReadChunkStillStepsToTheNext) {
    Covered file(Serialize({RawChunk(1, {9, 9, 9, 9, 9, 9}), RawChunk(2, {7})}));
    CChunkReader child;
    ASSERT_EQ(file.reader.NextChunk(child), 1);
    EXPECT_EQ(child.ReadU8(), 9u);
    ASSERT_EQ(file.reader.NextChunk(child), 2);
    EXPECT_EQ(child.ReadU8(), 7u);
}

TEST(ChunkReaderLevels, IdAllOnesEndsTheLevel) {
    Covered file(Serialize({RawChunk(3, {}), RawChunk(0xFFFFFFFFu, {1}), RawChunk(4, {})}));
    CChunkReader child;
    EXPECT_EQ(file.reader.NextChunk(child), 3);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
    EXPECT_TRUE(file.reader.InChunk());
}

TEST(ChunkReaderLevels, StrayTrailingBytesAreIgnored) {
    for (std::size_t stray = 1; stray <= 7; ++stray) {
        Bytes bytes = Serialize({RawChunk(3, {1, 2})});
        bytes.insert(bytes.end(), stray, 0xAB);
        Covered file(bytes);
        CChunkReader child;
        EXPECT_EQ(file.reader.NextChunk(child), 3);
        EXPECT_EQ(file.reader.NextChunk(child), -1) << stray;
        EXPECT_EQ(file.reader.Remaining(), stray);
        EXPECT_FALSE(file.reader.InChunk());
    }
}

TEST(ChunkReaderReads, StringsAndUnalignedWords) {
    Covered file(ByteWriter().String("").String("ab").String("oddy").U32(0xA1B2C3D4u).U8(0x7F).Take());
    CChunkReader& reader = file.reader;
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.ReadString(), "ab");
    EXPECT_EQ(reader.Position(), 4u);
    EXPECT_EQ(reader.ReadString(), "oddy");
    EXPECT_EQ(reader.ReadU32(), 0xA1B2C3D4u);  // at offset 9
    EXPECT_EQ(reader.ReadU8(), 0x7Fu);
    EXPECT_FALSE(reader.ReadPastEnd());
}

TEST(ChunkReaderNesting, ChildWalkThenParentContinuesBehindIt) {
    const test::Chunk inner{7, {}, {RawChunk(1, {1}), RawChunk(2, {2, 2})}, {}};
    Covered file(Serialize({inner, RawChunk(8, {})}));
    CChunkReader child;
    CChunkReader grandchild;
    ASSERT_EQ(file.reader.NextChunk(child), 7);
    EXPECT_EQ(child.NextChunk(grandchild), 1);
    EXPECT_EQ(child.GetChunkId(), 1u);  // a child's id follows its own walk from here on
    EXPECT_EQ(child.NextChunk(grandchild), 2);
    EXPECT_EQ(grandchild.Size(), 2u);
    EXPECT_EQ(child.NextChunk(grandchild), -1);
    EXPECT_EQ(file.reader.NextChunk(child), 8);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
}

// A chunk that declares more than its parent holds is clamped; the parent's level ends.
TEST(ChunkReaderBounds, OversizedChunkIsClampedToItsParent) {
    Covered file(ByteWriter().U32(6).U32(1000).U8(1).U8(2).U8(3).Take());
    CChunkReader child;
    ASSERT_EQ(file.reader.NextChunk(child), 6);
    EXPECT_EQ(child.Size(), 3u);
    EXPECT_EQ(child.DeclaredSize(), 1000u);
    EXPECT_TRUE(child.ChunkCutShort());
    EXPECT_EQ(file.reader.NextChunk(child), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
}

TEST(ChunkReaderBounds, ReadsStopAtTheEndOfTheRange) {
    Covered file(Bytes{'a', 'b', 0x11, 0x22});
    CChunkReader& reader = file.reader;
    reader.Skip(2);
    EXPECT_EQ(reader.ReadU32(), 0x2211u);  // the two missing bytes read as zero
    EXPECT_TRUE(reader.ReadPastEnd());
    EXPECT_EQ(reader.ReadU8(), 0u);
    EXPECT_EQ(reader.ReadString(), "");
    std::uint8_t out[3] = {9, 9, 9};
    reader.ReadBytes(out, sizeof out);
    EXPECT_EQ(out[0] + out[1] + out[2], 0);
    EXPECT_EQ(reader.Position(), 4u);
    EXPECT_EQ(reader.TakeBytes(1), nullptr);

    Covered unterminated(Bytes{'r', 'o', 'c', 'k'});
    EXPECT_EQ(unterminated.reader.ReadString(), "rock");
    EXPECT_TRUE(unterminated.reader.ReadPastEnd());
    EXPECT_EQ(unterminated.reader.Remaining(), 0u);
}

TEST(ChunkReaderOpen, MapsAFileAndFailsOnMissingOrEmptyOnes) {
    test::TempContentTree tree;
    const std::string path = tree.Write("a.mesh", Serialize({RawChunk(9, {1, 2, 3})}));
    const std::string empty = tree.Write("empty.mesh", Bytes{});
    {
        CChunkReader reader;
        ASSERT_EQ(reader.Open(path), 1);
        EXPECT_EQ(reader.Size(), 11u);
        CChunkReader child;
        EXPECT_EQ(reader.NextChunk(child), 9);
        EXPECT_EQ(child.ReadU8(), 1u);
        {
            CChunkReader shortLived;
            EXPECT_EQ(reader.NextChunk(shortLived), -1);
        }  // destroying a child releases nothing
        EXPECT_EQ(child.ReadU8(), 2u);
    }
    for (const std::string& failing : {tree.Path("nothing.mesh"), empty, tree.Root().string()}) {
        CChunkReader reader;
        EXPECT_EQ(reader.Open(failing), 0) << failing;
        EXPECT_EQ(reader.Data(), nullptr);
        EXPECT_EQ(reader.Size(), 0u);
    }
}

// The 245-byte example walked level by level.
TEST(ChunkReaderNesting, OneTriangleMeshRanges) {
    Covered file(
        Serialize({test::MeshesChunk({test::MeshEntry(test::TriangleMesh("brick", "walls\\brick"))})}));
    ASSERT_EQ(file.data.size(), 245u);
    CChunkReader child;
    CChunkReader entry;
    CChunkReader sub;
    ASSERT_EQ(file.reader.NextChunk(child), 9);
    EXPECT_EQ(child.Data() - file.data.data(), 8);
    EXPECT_EQ(child.Size(), 237u);
    ASSERT_EQ(child.NextChunk(entry), 0);
    EXPECT_EQ(entry.Data() - file.data.data(), 16);
    EXPECT_EQ(entry.Size(), 229u);
    const std::pair<int, std::uint64_t> expected[] = {{1, 64}, {2, 19}, {3, 104}, {4, 10}};
    for (const auto& [id, size] : expected) {
        ASSERT_EQ(entry.NextChunk(sub), id);
        EXPECT_EQ(sub.Size(), size);
    }
    EXPECT_EQ(entry.NextChunk(sub), -1);
    EXPECT_EQ(child.NextChunk(entry), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
}

}  // namespace
}  // namespace zenthor
