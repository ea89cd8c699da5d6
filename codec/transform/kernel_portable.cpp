// The kernel for any processor: two bytes per look-up through a 128 KiB
// table derived from the 256-entry one.
#include <bit>
#include <cstring>

#include "transform_kernels.h"

namespace morvane::kernels {

void BuildPairs(KernelTables& tables) {
    // The two bytes substituted and swapped, ready for a little-endian store.
    tables.pairs.resize(1u << 16);
    for (std::uint32_t pair = 0; pair < tables.pairs.size(); ++pair)
        tables.pairs[pair] = static_cast<std::uint16_t>(tables.table[pair & 0xFF] << 8 | tables.table[pair >> 8]);
}

void ApplyTail(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size,
               std::size_t done) {
    std::uint8_t* out = output + size - done;
    for (std::size_t i = done; i < size; ++i) *--out = tables.table[input[i]];
}

void ApplyPortable(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size) {
    std::uint8_t* out = output + size;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes per step through four pair look-ups: the first input
        // pair becomes the last two bytes of the output word.
        const std::uint16_t* pairs = tables.pairs.data();
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, input + i, 8);
            const std::uint64_t reversed =
                std::uint64_t{pairs[word & 0xFFFF]} << 48 | std::uint64_t{pairs[(word >> 16) & 0xFFFF]} << 32 |
                std::uint64_t{pairs[(word >> 32) & 0xFFFF]} << 16 | std::uint64_t{pairs[word >> 48]};
            out -= 8;
            std::memcpy(out, &reversed, 8);
        }
    }
    ApplyTail(tables, input, output, size, i);
}

}  // namespace morvane::kernels
