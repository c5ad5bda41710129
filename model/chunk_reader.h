// CChunkReader: the read cursor through which every byte of a model or mesh file passes.
//
// A file is a sequence of chunks, each an 8-byte header (u32 id, u32 payload size, little-
// endian) and its payload; some payloads are sequences of chunks again. A reader covers
// one byte range: the whole file (after Open, owning the mapping) or one chunk's payload
// (a child bound by its parent's NextChunk, owning nothing). Children are windows into the
// owner's view and must not outlive it.
//
// Bounds: no read ever leaves the covered range. A chunk that declares more payload than
// its enclosing range holds gets a child clamped to what is there (ChunkCutShort() tells);
// the parent still steps past the declared size, which ends its level. A typed read that
// runs into the end of the range takes what is there, fills the rest with zero, stops at
// the end and marks the reader (ReadPastEnd()). A string without its NUL ends at the end
// of the range.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_view.h"

namespace zenthor {

class CChunkReader {
public:
    CChunkReader() = default;
    virtual ~CChunkReader();
    CChunkReader(const CChunkReader&) = delete;
    CChunkReader& operator=(const CChunkReader&) = delete;

    // Maps the whole file at `path` and covers it from offset 0. 1 on success, 0 on
    // failure (missing file, length zero, any mapping step failing); a failed Open leaves
    // the reader empty. Only for a fresh reader.
    int Open(const std::string& path);

    // Covers `size` bytes of a caller's buffer, which must outlive the reader and its
    // children. Owns nothing; used for files held in memory (tests, fuzzing).
    void Cover(const void* data, std::uint64_t size);

    // Steps past the current chunk (its declared size, however much of it was read), reads
    // the next header and binds `child` to its payload. Returns the chunk id as a signed
    // value, or -1 when fewer than 8 bytes remain; an id of 0xFFFFFFFF therefore also ends
    // the level. On -1 the child is left untouched.
    std::int32_t NextChunk(CChunkReader& child);

    // The id of the current chunk; on a child, the chunk it covers until its own NextChunk
    // finds a sub-chunk; 0 on a fresh reader.
    std::uint32_t GetChunkId() const { return m_chunkId; }

    std::uint32_t ReadU32();
    std::uint32_t ReadU8();
    // Bytes up to the NUL (which is consumed), or up to the end of the range.
    std::string ReadString();
    // Copies n bytes; past the end of the range the destination is filled with zero.
    void ReadBytes(void* destination, std::uint64_t n);

    // Returns the next n bytes of the range and steps past them, or null (leaving the
    // position alone) when fewer than n remain. Lets decoders read records in place.
    const std::uint8_t* TakeBytes(std::uint64_t n);
    // Steps over n bytes; false (position at the end, ReadPastEnd set) when fewer remain.
    bool Skip(std::uint64_t n);

    // Bytes left between the position and the end of the range.
    std::uint64_t Remaining() const { return m_pos < m_size ? m_size - m_pos : 0; }
    std::uint64_t Size() const { return m_size; }
    std::uint64_t Position() const { return m_pos; }
    const std::uint8_t* Data() const { return m_data; }
    // True when this reader was bound to a chunk whose declared size ran past its parent.
    bool ChunkCutShort() const { return m_cutShort; }
    // The payload size that the chunk header declared (for a child bound by NextChunk).
    std::uint64_t DeclaredSize() const { return m_declaredSize; }
    // True once a read met the end of the range before it had all it asked for.
    bool ReadPastEnd() const { return m_readPastEnd; }
    // True while a chunk found by NextChunk has not been stepped past. After NextChunk
    // returned -1 this means the level was ended by a chunk id 0xFFFFFFFF.
    bool InChunk() const { return m_inChunk; }

private:
    void Release();

    bool m_owner = false;
    platform::NativeHandle m_file = 0;
    platform::NativeHandle m_mapping = 0;
    std::uint64_t m_size = 0;
    const std::uint8_t* m_data = nullptr;
    std::uint64_t m_pos = 0;
    bool m_inChunk = false;
    std::uint32_t m_chunkId = 0;
    std::uint64_t m_chunkOffset = 0;
    std::uint64_t m_chunkSize = 0;

    // Bounds bookkeeping beyond the classic cursor.
    std::uint64_t m_declaredSize = 0;
    bool m_cutShort = false;
    bool m_readPastEnd = false;
};

}  // namespace zenthor
