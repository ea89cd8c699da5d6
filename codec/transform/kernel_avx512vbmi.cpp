// AVX-512 VBMI kernel: vpermi2b looks 64 bytes up in a 128-entry half of the
// table at once, bit 7 of each byte picks the half, and vpermb reverses the
// 64 results.
//
// Input off a cache line (a decoded payload follows a 544-byte header) is
// loaded in whole lines, each 64 bytes joined from two neighbours by one
// more vpermt2b: a load across two lines costs more than that permute. The
// line-aligned loads read up to 63 bytes before the input and after it, but
// only in lines that hold input bytes, so never from a page that is not
// mapped.
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

alignas(64) constexpr std::uint8_t kReversed[64] = {63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48,
                                                    47, 46, 45, 44, 43, 42, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32,
                                                    31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
                                                    15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0};

alignas(64) constexpr std::uint8_t kAscending[64] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                                     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,
                                                     32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47,
                                                     48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

// One block's 64-byte step: the table's value for each byte of `index`,
// reversed, stored where the rule puts it.
__attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline void Step(__m512i index, __m512i low0,
                                                                                       __m512i low1, __m512i high0,
                                                                                       __m512i high1, __m512i reverse,
                                                                                       std::uint8_t* destination) {
    const __m512i low = _mm512_permutex2var_epi8(low0, index, low1);
    const __m512i high = _mm512_permutex2var_epi8(high0, index, high1);
    const __m512i result = _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
    _mm512_storeu_si512(destination, _mm512_permutexvar_epi8(reverse, result));
}

}  // namespace

// AddressSanitizer would take the reads around the input for overruns.
__attribute__((target("avx512f,avx512bw,avx512vbmi"), no_sanitize("address"))) void ApplyAvx512Vbmi(
    const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size) {
    const std::uint8_t* table = tables.table.data();
    const __m512i low0 = _mm512_loadu_si512(table);
    const __m512i low1 = _mm512_loadu_si512(table + 64);
    const __m512i high0 = _mm512_loadu_si512(table + 128);
    const __m512i high1 = _mm512_loadu_si512(table + 192);
    const __m512i reverse = _mm512_load_si512(kReversed);
    std::size_t i = 0;
    const std::size_t offLine = reinterpret_cast<std::uintptr_t>(input) % 64;
    if (offLine == 0) {
        for (; i + 64 <= size; i += 64)
            Step(_mm512_load_si512(input + i), low0, low1, high0, high1, reverse, output + size - i - 64);
    } else {
        // Byte j of each step is byte offLine + j of two neighbouring lines.
        const __m512i join =
            _mm512_add_epi8(_mm512_load_si512(kAscending), _mm512_set1_epi8(static_cast<char>(offLine)));
        const std::uint8_t* line = input - offLine;
        __m512i previous = _mm512_load_si512(line);
        for (; i + 64 <= size; i += 64) {
            const __m512i next = _mm512_load_si512(line + i + 64);
            Step(_mm512_permutex2var_epi8(previous, join, next), low0, low1, high0, high1, reverse,
                 output + size - i - 64);
            previous = next;
        }
    }
    ApplyTail(tables, input, output, size, i);
}

}  // namespace morvane::kernels
#endif
