// SSSE3 and AVX2 kernels: the 256-entry table is sixteen rows of sixteen,
// and pshufb looks a row up by the low nibble. Each round subtracts 0x10 from
// the index bytes and adds 0x70 with saturation, so only the bytes whose high
// nibble names the round keep bit 7 clear; pshufb zeroes the others and the
// sixteen rounds are ORed together.
#include "transform_kernels.h"

#ifdef MORVANE_X86_KERNELS
#include <immintrin.h>

namespace morvane::kernels {

// The legacy SSE encoding faults on an unaligned memory operand, a spilled
// vector included, and the 32-bit Windows stack is only 4-byte aligned: the
// kernel aligns its own frame rather than trust its caller's.
__attribute__((target("ssse3"), force_align_arg_pointer)) void ApplySsse3(const KernelTables& tables,
                                                                          const std::uint8_t* input,
                                                                          std::uint8_t* output, std::size_t size) {
    const auto* rows = reinterpret_cast<const __m128i*>(tables.table.data());
    const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m128i bias = _mm_set1_epi8(0x70);
    const __m128i step = _mm_set1_epi8(0x10);
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(input + i));
        __m128i result = _mm_setzero_si128();
#pragma GCC unroll 16
        for (int row = 0; row < 16; ++row) {
            const __m128i entries = _mm_loadu_si128(rows + row);
            result = _mm_or_si128(result, _mm_shuffle_epi8(entries, _mm_adds_epu8(index, bias)));
            index = _mm_sub_epi8(index, step);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(output + size - i - 16), _mm_shuffle_epi8(result, reverse));
    }
    ApplyTail(tables, input, output, size, i);
}

__attribute__((target("avx2"))) void ApplyAvx2(const KernelTables& tables, const std::uint8_t* input,
                                               std::uint8_t* output, std::size_t size) {
    const auto* rows = reinterpret_cast<const __m128i*>(tables.table.data());
    // pshufb works within each 128-bit lane: bytes reversed in both lanes,
    // then the lanes swapped.
    const __m256i reverse = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,  //
                                             15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m256i bias = _mm256_set1_epi8(0x70);
    const __m256i step = _mm256_set1_epi8(0x10);
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(input + i));
        __m256i result = _mm256_setzero_si256();
#pragma GCC unroll 16
        for (int row = 0; row < 16; ++row) {
            const __m256i entries = _mm256_broadcastsi128_si256(_mm_loadu_si128(rows + row));
            result = _mm256_or_si256(result, _mm256_shuffle_epi8(entries, _mm256_adds_epu8(index, bias)));
            index = _mm256_sub_epi8(index, step);
        }
        result = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(result, reverse), 0x4E);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(output + size - i - 32), result);
    }
    ApplyTail(tables, input, output, size, i);
}

}  // namespace morvane::kernels
#endif
