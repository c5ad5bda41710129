#include "model/chunk_reader.h"

#include <bit>
#include <cstring>

namespace zenthor {
namespace {

constexpr std::uint64_t kHeaderSize = 8;

std::uint32_t LoadU32(const std::uint8_t* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

static_assert(std::endian::native == std::endian::little,
              "model files are little-endian, as is every target");

CChunkReader::~CChunkReader() {
    Release();
}

void CChunkReader::Release() {
    if (!m_owner) {
        return;
    }
    platform::FileView view{m_file, m_mapping, m_data, m_size};
    platform::CloseFileView(view);
    m_owner = false;
    m_file = 0;
    m_mapping = 0;
    m_data = nullptr;
}

int CChunkReader::Open(const std::string& path) {
    Release();
    platform::FileView view;
    if (!platform::OpenFileView(path, view)) {
        return 0;
    }
    m_file = view.file;
    m_mapping = view.mapping;
    m_size = view.size;
    m_data = view.data;
    m_owner = true;
    return 1;
}

void CChunkReader::Cover(const void* data, std::uint64_t size) {
    Release();
    m_size = data != nullptr ? size : 0;
    m_data = static_cast<const std::uint8_t*>(data);
    m_pos = 0;
    m_inChunk = false;
    m_chunkId = 0;
    m_chunkOffset = 0;
    m_chunkSize = 0;
    m_declaredSize = m_size;
    m_cutShort = false;
    m_readPastEnd = false;
}

std::int32_t CChunkReader::NextChunk(CChunkReader& child) {
    if (m_inChunk) {
        // The declared size is below 2^32 and the offset within the range, so no overflow.
        m_pos = m_chunkOffset + m_chunkSize;
        m_inChunk = false;
    }
    if (Remaining() < kHeaderSize) {
        return -1;
    }
    const std::uint32_t id = LoadU32(m_data + m_pos);
    const std::uint32_t size = LoadU32(m_data + m_pos + 4);
    m_chunkId = id;
    m_chunkSize = size;
    m_pos += kHeaderSize;
    m_chunkOffset = m_pos;
    m_inChunk = true;

    const std::uint64_t available = m_size - m_chunkOffset;
    const std::uint64_t covered = size <= available ? size : available;
    child.Release();
    child.m_size = covered;
    child.m_data = m_data + m_chunkOffset;
    child.m_pos = 0;
    child.m_inChunk = false;
    child.m_chunkId = id;
    child.m_chunkOffset = 0;
    child.m_chunkSize = covered;
    child.m_declaredSize = size;
    child.m_cutShort = covered < size;
    child.m_readPastEnd = false;
    return static_cast<std::int32_t>(id);
}

std::uint32_t CChunkReader::ReadU32() {
    std::uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    return LoadU32(bytes);
}

std::uint32_t CChunkReader::ReadU8() {
    std::uint8_t byte;
    ReadBytes(&byte, 1);
    return byte;
}

std::string CChunkReader::ReadString() {
    const std::uint64_t left = Remaining();
    if (left == 0) {
        m_readPastEnd = true;
        return {};
    }
    const auto* start = m_data + m_pos;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(start, 0, left));
    if (nul == nullptr) {
        m_pos = m_size;
        m_readPastEnd = true;
        return std::string(reinterpret_cast<const char*>(start), left);
    }
    const auto length = static_cast<std::uint64_t>(nul - start);
    m_pos += length + 1;
    return std::string(reinterpret_cast<const char*>(start), length);
}

void CChunkReader::ReadBytes(void* destination, std::uint64_t n) {
    const std::uint64_t left = Remaining();
    const std::uint64_t copied = n <= left ? n : left;
    if (copied > 0) {
        std::memcpy(destination, m_data + m_pos, copied);
        m_pos += copied;
    }
    if (copied < n) {
        std::memset(static_cast<std::uint8_t*>(destination) + copied, 0, n - copied);
        m_pos = m_pos < m_size ? m_size : m_pos;
        m_readPastEnd = true;
    }
}

const std::uint8_t* CChunkReader::TakeBytes(std::uint64_t n) {
    if (n > Remaining()) {
        return nullptr;
    }
    if (n == 0) {
        // Nothing to read, but still a valid answer, also past the end or on an empty reader.
        static const std::uint8_t kNothing = 0;
        return m_data != nullptr && m_pos <= m_size ? m_data + m_pos : &kNothing;
    }
    const std::uint8_t* bytes = m_data + m_pos;
    m_pos += n;
    return bytes;
}

bool CChunkReader::Skip(std::uint64_t n) {
    if (n > Remaining()) {
        m_pos = m_pos < m_size ? m_size : m_pos;
        m_readPastEnd = true;
        return false;
    }
    m_pos += n;
    return true;
}

}  // namespace zenthor
