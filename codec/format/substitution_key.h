// The per-container substitution key: a permutation of the 256 byte values
// drawn from a time-seeded generator, and its inverse for decoding.
#pragma once

#include <cstdint>

#include "container_format.h"

namespace morvane {

// The Microsoft C runtime's rand(): the same draws on every platform, so a
// key depends only on the second it was made in.
class CrtRandom {
public:
    explicit CrtRandom(std::uint32_t seed = 1) : m_state(seed) {}
    // Next draw, 0 to 32767.
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state;
};

// Deals the values 0..count-1 into table[0..count-1], each once. `count` is
// taken by its low 16 bits as a signed number; a null table or a count of 0
// or less leaves everything untouched. Seeded with `seconds`.
void MakeRandomPermutation(std::int32_t* table, int count, std::int64_t seconds);

// The stored form of a key table: the low byte of each entry.
StoredKey StoreKey(const std::int32_t (&table)[kKeySize]);

// Builds the inverse of a stored key (for i ascending, inverse[key[i]] = i).
// Returns false when the key is not a permutation; the inverse is then
// still filled, the highest position winning.
bool InvertKey(const StoredKey& key, ByteTable& inverse);

}  // namespace morvane
