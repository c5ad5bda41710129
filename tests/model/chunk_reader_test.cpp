// The chunk reader's bounds on short and malformed ranges. Walking well-formed files (nested
// levels, partly read chunks, strings and unaligned words) is proven by every load.
#include <gtest/gtest.h>

#include "model/chunk_reader.h"
#include "tests/support/model_writer.h"

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

// Fewer than eight bytes hold no header: a fresh reader, a short range and an exhausted
// level all answer -1 and leave the child bound where it was.
TEST(ChunkReaderLevels, AChunkNeedsAWholeHeader) {
    CChunkReader fresh;
    CChunkReader child;
    EXPECT_EQ(fresh.GetChunkId(), 0u);
    EXPECT_EQ(fresh.NextChunk(child), -1);

    Covered file(ByteWriter().U32(42).U32(0).Take());
    CChunkReader grandchild;
    EXPECT_EQ(file.reader.NextChunk(child), 42);
    EXPECT_EQ(child.Size(), 0u);
    EXPECT_EQ(child.NextChunk(grandchild), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);
    EXPECT_EQ(file.reader.NextChunk(child), -1);  // exhausted stays exhausted

    Covered seven(Bytes{1, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(seven.reader.NextChunk(child), -1);
    EXPECT_EQ(child.GetChunkId(), 42u);
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

}  // namespace
}  // namespace zenthor
