// AVX-512 VBMI kernel: vpermi2b looks 64 bytes up in a 128-entry half of the
// table at once, bit 7 of each byte picks the half, and vpermb reverses the
// 64 results.
#include "transform_kernels.h"

#ifdef MORVANE_X86_KERNELS
// GCC 12's vpermb intrinsic passes an undefined vector that -Wall takes for
// an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

namespace morvane::kernels {
namespace {

alignas(64) constexpr std::uint8_t kReversed[64] = {
    63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 43, 42,
    41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20,
    19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0};

}  // namespace

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void ApplyAvx512Vbmi(const KernelTables& tables,
                                                                             const std::uint8_t* input,
                                                                             std::uint8_t* output,
                                                                             std::size_t size) {
    const std::uint8_t* table = tables.table.data();
    const __m512i low0 = _mm512_loadu_si512(table);
    const __m512i low1 = _mm512_loadu_si512(table + 64);
    const __m512i high0 = _mm512_loadu_si512(table + 128);
    const __m512i high1 = _mm512_loadu_si512(table + 192);
    const __m512i reverse = _mm512_load_si512(kReversed);
    std::size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        const __m512i index = _mm512_loadu_si512(input + i);
        const __m512i low = _mm512_permutex2var_epi8(low0, index, low1);
        const __m512i high = _mm512_permutex2var_epi8(high0, index, high1);
        const __m512i result = _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
        _mm512_storeu_si512(output + size - i - 64, _mm512_permutexvar_epi8(reverse, result));
    }
    ApplyTail(tables, input, output, size, i);
}

}  // namespace morvane::kernels
#endif
