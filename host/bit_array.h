// A fixed-size array of bits, used to select vertices for an operation.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_api.h"

class HOST_API BitArray {
public:
    BitArray() = default;
    explicit BitArray(int n);  // n bits, all clear

    // Resizes to n bits (a negative n gives 0). With save non-zero the bits
    // below both sizes keep their values; every other bit is clear.
    void SetSize(int n, int save = 0);
    int GetSize() const { return m_size; }

    void SetAll();
    void ClearAll();
    // Writing a bit outside 0..GetSize()-1 throws std::out_of_range.
    void Set(int i);
    void Clear(int i);
    // Reading a bit outside the array gives false.
    bool operator[](int i) const {
        return i >= 0 && i < m_size && ((m_words[std::size_t(i) >> 6] >> (i & 63)) & 1u) != 0;
    }
    int NumberSet() const;

private:
    void CheckIndex(int i) const;

    std::vector<std::uint64_t> m_words;
    int m_size = 0;
};
