#include "substitution_key.h"

namespace morvane {

void MakeRandomPermutation(std::int32_t* table, int count, std::int64_t seconds) {
    const auto entries = static_cast<std::int16_t>(static_cast<std::uint16_t>(count));
    if (table == nullptr || entries <= 0) return;

    // The generator takes the second's low 32 bits, as it always has.
    CrtRandom random(static_cast<std::uint32_t>(seconds));
    for (int i = 0; i < entries; ++i) table[i] = -1;
    // Each value in turn goes to a still-empty slot; draws are used raw and
    // every miss is thrown away, so each permutation is equally likely.
    for (int value = 0; value < entries;) {
        const int slot = random.Next();
        if (slot < entries && table[slot] < 0) table[slot] = value++;
    }
}

StoredKey StoreKey(const std::int32_t (&table)[kKeySize]) {
    StoredKey key{};
    for (std::size_t i = 0; i < kKeySize; ++i) key[i] = static_cast<std::uint8_t>(table[i]);
    return key;
}

bool InvertKey(const StoredKey& key, ByteTable& inverse) {
    bool seen[kKeySize] = {};
    bool permutation = true;
    inverse.fill(0);
    for (std::size_t i = 0; i < kKeySize; ++i) {
        if (seen[key[i]]) permutation = false;
        seen[key[i]] = true;
        inverse[key[i]] = static_cast<std::uint8_t>(i);
    }
    return permutation;
}

}  // namespace morvane
