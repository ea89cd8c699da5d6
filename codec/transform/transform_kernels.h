// The kernels behind BlockTransform, one file per instruction family. The
// x86 ones are built with GCC target attributes, so any x86 build has them;
// they may be called only when KernelSupported says so.
#pragma once

#include "block_transform.h"

namespace morvane::kernels {

#if defined(__i386__) || defined(__x86_64__)
#define MORVANE_X86_KERNELS 1
#endif

void BuildPairs(KernelTables& tables);
void ApplyPortable(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size);
// The bytes from `done` on, one at a time: the tails of the vector kernels.
void ApplyTail(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size,
               std::size_t done);

#ifdef MORVANE_X86_KERNELS
void ApplySsse3(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size);
void ApplyAvx2(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size);
void ApplyAvx512Vbmi(const KernelTables& tables, const std::uint8_t* input, std::uint8_t* output, std::size_t size);
#endif

}  // namespace morvane::kernels
