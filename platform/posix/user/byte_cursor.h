// A bounds-checked little-endian reader over resource data. Every read first checks
// what remains, so a truncated or malformed resource fails instead of over-reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace platform::user {

// A resource name or type as the .res and template formats store them: a number
// (0xFFFF followed by a 16-bit ordinal) or a NUL-terminated UTF-16 string.
struct NameOrOrdinal {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::u16string name;
};

class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

    bool Skip(std::size_t count) {
        if (count > Remaining()) return false;
        m_pos += count;
        return true;
    }

    // Moves on to the next multiple of four from the start of the data.
    bool AlignTo4() { return Skip((4 - m_pos % 4) % 4); }

    bool ReadU8(std::uint8_t& value) { return ReadRaw(&value, sizeof value); }
    bool ReadU16(std::uint16_t& value) { return ReadRaw(&value, sizeof value); }
    bool ReadU32(std::uint32_t& value) { return ReadRaw(&value, sizeof value); }
    bool ReadI16(std::int16_t& value) { return ReadRaw(&value, sizeof value); }

    // A NUL-terminated UTF-16 string; the terminator must lie inside the data.
    bool ReadString(std::u16string& value) {
        value.clear();
        for (;;) {
            std::uint16_t unit = 0;
            if (!ReadU16(unit)) return false;
            if (unit == 0) return true;
            value.push_back(static_cast<char16_t>(unit));
        }
    }

    // A name or ordinal; a single 0x0000 word means "none" and reads as an empty name.
    bool ReadNameOrOrdinal(NameOrOrdinal& value) {
        value = {};
        std::uint16_t first = 0;
        if (!ReadU16(first)) return false;
        if (first == 0xFFFF) {
            value.isOrdinal = true;
            return ReadU16(value.ordinal);
        }
        if (first == 0) return true;
        value.name.push_back(static_cast<char16_t>(first));
        std::u16string rest;
        if (!ReadString(rest)) return false;
        value.name += rest;
        return true;
    }

private:
    // Values are little-endian on every system the project runs on; memcpy because the
    // data need not be aligned.
    bool ReadRaw(void* out, std::size_t size) {
        if (size > Remaining()) return false;
        std::memcpy(out, m_bytes.data() + m_pos, size);
        m_pos += size;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace platform::user
