// The block rule made fast: output byte size-1-i of a block is table[input
// byte i]. Several kernels do the same work; jobs use the widest one the
// processor and the operating system support unless the program asks for
// another (the front ends take it from the variable MORVANE_KERNEL).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "container_format.h"

namespace morvane {

enum class TransformKernel { Portable, Ssse3, Avx2, Avx512Vbmi };

inline constexpr TransformKernel kAllKernels[] = {TransformKernel::Portable, TransformKernel::Ssse3,
                                                  TransformKernel::Avx2, TransformKernel::Avx512Vbmi};

const char* KernelName(TransformKernel kernel);
std::optional<TransformKernel> KernelByName(std::string_view name);
// Whether this processor has the instructions and the operating system
// saves the registers the kernel uses.
bool KernelSupported(TransformKernel kernel);
// The kernel `name` names when it is supported here, else (no name, an
// unknown or unsupported one) the widest supported.
TransformKernel ChooseKernel(const char* name);
// The kernel jobs use: the last one given to UseKernel, the widest
// supported before that. A program sets it before its first job.
TransformKernel ActiveKernel();
void UseKernel(TransformKernel kernel);

// The tables a kernel reads, made once per job. Kernels load them unaligned:
// a stack on Windows is not always aligned as asked.
struct KernelTables {
    alignas(64) ByteTable table{};
    // pair (second << 8 | first) -> (table[first] << 8 | table[second]);
    // only the portable kernel has it.
    std::vector<std::uint16_t> pairs;
};

class BlockTransform {
public:
    explicit BlockTransform(const ByteTable& table, TransformKernel kernel = ActiveKernel());
    // `size` from 1 to 4096; input and output must not overlap.
    void Apply(const std::uint8_t* input, std::uint8_t* output, std::size_t size) const {
        m_apply(m_tables, input, output, size);
    }
    TransformKernel Kernel() const { return m_kernel; }

    using ApplyFunction = void (*)(const KernelTables&, const std::uint8_t*, std::uint8_t*, std::size_t);

private:
    KernelTables m_tables;
    TransformKernel m_kernel;
    ApplyFunction m_apply;
};

}  // namespace morvane
