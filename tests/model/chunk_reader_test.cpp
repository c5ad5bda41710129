// The chunk reader's level semantics and its bounds on malformed ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "model/chunk_reader.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

using test::Bytes;
using test::ByteWriter;

// An exactly-sized heap copy, so that AddressSanitizer sees any read past its end.
struct HeapCopy {
    explicit HeapCopy(const Bytes& bytes)
        : size(bytes.size()), data(new std::uint8_t[bytes.size() ? bytes.size() : 1]) {
        std::memcpy(data.get(), bytes.data(), bytes.size());
    }
    std::size_t size;
    std::unique_ptr<std::uint8_t[]> data;
};

Bytes Header(std::uint32_t id, std::uint32_t size) {
    return ByteWriter().U32(id).U32(size).Take();
}

TEST(ChunkReaderLevels, FreshReaderIsEmpty) {
    CChunkReader reader;
    EXPECT_EQ(reader.GetChunkId(), 0u);
    EXPECT_EQ(reader.Remaining(), 0u);
    CChunkReader child;
    EXPECT_EQ(reader.NextChunk(child), -1);
}

TEST(ChunkReaderLevels, FewerThanEightBytesHoldNoChunkAndLeaveTheChildAlone) {
    HeapCopy outer(test::Serialize({test::RawChunk(5, {1, 2, 3})}));
    CChunkReader parent;
    parent.Cover(outer.data.get(), outer.size);
    CChunkReader child;
    ASSERT_EQ(parent.NextChunk(child), 5);

    HeapCopy seven(Bytes{1, 0, 0, 0, 0, 0, 0});
    CChunkReader reader;
    reader.Cover(seven.data.get(), seven.size);
    EXPECT_EQ(reader.NextChunk(child), -1);
    EXPECT_EQ(child.GetChunkId(), 5u);  // still bound to the earlier chunk
    EXPECT_EQ(child.Size(), 3u);
}

TEST(ChunkReaderLevels, ExactlyEightBytesHoldOneEmptyChunk) {
    HeapCopy file(Header(42, 0));
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    EXPECT_EQ(reader.NextChunk(child), 42);
    EXPECT_EQ(child.Size(), 0u);
    EXPECT_EQ(child.GetChunkId(), 42u);
    CChunkReader grandchild;
    EXPECT_EQ(child.NextChunk(grandchild), -1);
    EXPECT_EQ(reader.NextChunk(child), -1);
    EXPECT_EQ(reader.NextChunk(child), -1);  // exhausted stays exhausted
}

TEST(ChunkReaderLevels, PartlyReadChunkStillStepsToTheNext) {
    HeapCopy file(test::Serialize({test::RawChunk(1, {9, 9, 9, 9, 9, 9}), test::RawChunk(2, {7})}));
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    ASSERT_EQ(reader.NextChunk(child), 1);
    EXPECT_EQ(child.ReadU8(), 9u);
    ASSERT_EQ(reader.NextChunk(child), 2);
    EXPECT_EQ(child.ReadU8(), 7u);
}

TEST(ChunkReaderLevels, IdAllOnesEndsTheLevel) {
    HeapCopy file(
        test::Serialize({test::RawChunk(3, {}), test::RawChunk(0xFFFFFFFFu, {1}), test::RawChunk(4, {})}));
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    EXPECT_EQ(reader.NextChunk(child), 3);
    EXPECT_EQ(reader.NextChunk(child), -1);
    EXPECT_TRUE(reader.InChunk());
}

TEST(ChunkReaderLevels, StrayTrailingBytesAreIgnored) {
    for (std::size_t stray = 1; stray <= 7; ++stray) {
        Bytes bytes = test::Serialize({test::RawChunk(3, {1, 2})});
        bytes.insert(bytes.end(), stray, 0xAB);
        HeapCopy file(bytes);
        CChunkReader reader;
        reader.Cover(file.data.get(), file.size);
        CChunkReader child;
        EXPECT_EQ(reader.NextChunk(child), 3);
        EXPECT_EQ(reader.NextChunk(child), -1) << stray;
        EXPECT_EQ(reader.Remaining(), stray);
        EXPECT_FALSE(reader.InChunk());
    }
}

TEST(ChunkReaderReads, StringsAndUnalignedWords) {
    HeapCopy file(ByteWriter().String("").String("ab").String("odd").U32(0xA1B2C3D4u).U8(0x7F).Take());
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.Position(), 1u);
    EXPECT_EQ(reader.ReadString(), "ab");
    EXPECT_EQ(reader.Position(), 4u);
    EXPECT_EQ(reader.ReadString(), "odd");
    EXPECT_EQ(reader.ReadU32(), 0xA1B2C3D4u);
    EXPECT_EQ(reader.ReadU8(), 0x7Fu);
    EXPECT_FALSE(reader.ReadPastEnd());
}

TEST(ChunkReaderReads, WordAtOddOffsetAfterString) {
    HeapCopy file(ByteWriter().String("abcd").U32(0x01020304u).Take());  // word at offset 5
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    reader.ReadString();
    EXPECT_EQ(reader.ReadU32(), 0x01020304u);
}

TEST(ChunkReaderNesting, ChildWalkThenParentContinuesBehindIt) {
    const test::Chunk inner{7, {}, {test::RawChunk(1, {1}), test::RawChunk(2, {2, 2})}, {}};
    HeapCopy file(test::Serialize({inner, test::RawChunk(8, {})}));
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    CChunkReader grandchild;
    ASSERT_EQ(reader.NextChunk(child), 7);
    EXPECT_EQ(child.NextChunk(grandchild), 1);
    EXPECT_EQ(child.GetChunkId(), 1u);  // a child's id follows its own walk from here on
    EXPECT_EQ(child.NextChunk(grandchild), 2);
    EXPECT_EQ(grandchild.Size(), 2u);
    EXPECT_EQ(child.NextChunk(grandchild), -1);
    EXPECT_EQ(reader.NextChunk(child), 8);
    EXPECT_EQ(reader.NextChunk(child), -1);
}

// A chunk that declares more than its parent holds is clamped; the parent's level ends.
TEST(ChunkReaderBounds, OversizedChunkIsClampedToItsParent) {
    Bytes bytes = Header(6, 1000);
    bytes.insert(bytes.end(), {1, 2, 3});
    HeapCopy file(bytes);
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    ASSERT_EQ(reader.NextChunk(child), 6);
    EXPECT_EQ(child.Size(), 3u);
    EXPECT_EQ(child.DeclaredSize(), 1000u);
    EXPECT_TRUE(child.ChunkCutShort());
    EXPECT_EQ(reader.NextChunk(child), -1);
    EXPECT_EQ(reader.NextChunk(child), -1);
}

TEST(ChunkReaderBounds, ReadsStopAtTheEndOfTheRange) {
    HeapCopy file(Bytes{'a', 'b', 0x11, 0x22});
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
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
}

TEST(ChunkReaderBounds, StringWithoutNulEndsAtTheRange) {
    HeapCopy file(Bytes{'r', 'o', 'c', 'k'});
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    EXPECT_EQ(reader.ReadString(), "rock");
    EXPECT_TRUE(reader.ReadPastEnd());
    EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ChunkReaderOpen, MapsAFileAndFailsOnMissingOrEmptyOnes) {
    test::TempContentTree tree;
    const std::string path = tree.Write("a.mesh", test::Serialize({test::RawChunk(9, {1, 2, 3})}));
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
    CChunkReader missing;
    EXPECT_EQ(missing.Open(tree.Path("nothing.mesh")), 0);
    EXPECT_EQ(missing.Data(), nullptr);
    CChunkReader zero;
    EXPECT_EQ(zero.Open(empty), 0);
    EXPECT_EQ(zero.Size(), 0u);
    CChunkReader folder;
    EXPECT_EQ(folder.Open(tree.Root().string()), 0);
}

// The 245-byte example walked level by level.
TEST(ChunkReaderNesting, WorkedExampleRanges) {
    test::MeshDesc mesh = test::TriangleMesh("brick", "walls\\brick");
    HeapCopy file(test::Serialize({test::MeshesChunk({test::MeshEntry(mesh)})}));
    ASSERT_EQ(file.size, 245u);
    CChunkReader reader;
    reader.Cover(file.data.get(), file.size);
    CChunkReader child;
    CChunkReader entry;
    CChunkReader sub;
    ASSERT_EQ(reader.NextChunk(child), 9);
    EXPECT_EQ(child.Data() - file.data.get(), 8);
    EXPECT_EQ(child.Size(), 237u);
    ASSERT_EQ(child.NextChunk(entry), 0);
    EXPECT_EQ(entry.Data() - file.data.get(), 16);
    EXPECT_EQ(entry.Size(), 229u);
    const std::pair<int, std::uint64_t> expected[] = {{1, 64}, {2, 19}, {3, 104}, {4, 10}};
    for (const auto& [id, size] : expected) {
        ASSERT_EQ(entry.NextChunk(sub), id);
        EXPECT_EQ(sub.Size(), size);
    }
    EXPECT_EQ(entry.NextChunk(sub), -1);
    EXPECT_EQ(child.NextChunk(entry), -1);
    EXPECT_EQ(reader.NextChunk(child), -1);
}

}  // namespace
}  // namespace zenthor
