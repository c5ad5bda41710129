#include "host/bit_array.h"

#include <bit>
#include <stdexcept>

static std::size_t WordsFor(int n) {
    return (std::size_t(n) + 63) / 64;
}

BitArray::BitArray(int n) {
    SetSize(n);
}

void BitArray::SetSize(int n, int save) {
    if (n < 0) {
        n = 0;
    }
    if (save == 0) {
        m_words.assign(WordsFor(n), 0);
    } else {
        m_words.resize(WordsFor(n), 0);
    }
    m_size = n;
    // Bits past the end stay clear, so a later grow shows them clear and
    // NumberSet can count whole words.
    if (n % 64 != 0) {
        m_words.back() &= (std::uint64_t(1) << (n % 64)) - 1;
    }
}

void BitArray::SetAll() {
    m_words.assign(m_words.size(), ~std::uint64_t(0));
    if (m_size % 64 != 0) {
        m_words.back() &= (std::uint64_t(1) << (m_size % 64)) - 1;
    }
}

void BitArray::ClearAll() {
    m_words.assign(m_words.size(), 0);
}

void BitArray::CheckIndex(int i) const {
    if (i < 0 || i >= m_size) {
        throw std::out_of_range("BitArray index");
    }
}

void BitArray::Set(int i) {
    CheckIndex(i);
    m_words[std::size_t(i) >> 6] |= std::uint64_t(1) << (i & 63);
}

void BitArray::Clear(int i) {
    CheckIndex(i);
    m_words[std::size_t(i) >> 6] &= ~(std::uint64_t(1) << (i & 63));
}

int BitArray::NumberSet() const {
    int count = 0;
    for (std::uint64_t word : m_words) {
        count += std::popcount(word);
    }
    return count;
}
