#include "block_transform.h"

#include <atomic>
#include <iterator>

#include "transform_kernels.h"

namespace morvane {
namespace {

#ifdef MORVANE_X86_KERNELS
// The register state the operating system saves on a context switch (XCR0).
// Without it, wide registers would be lost between time slices, so a CPU
// flag alone does not make a kernel usable.
std::uint64_t SavedRegisterState() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    __asm__("cpuid" : "=a"(eax), "=b"(ebx), "=c"(ecx), "=d"(edx) : "a"(1), "c"(0));
    constexpr unsigned int kOsSavesState = 1u << 27;  // OSXSAVE: XGETBV may be used
    if ((ecx & kOsSavesState) == 0) return 0;
    unsigned int low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return std::uint64_t{high} << 32 | low;
}

constexpr std::uint64_t kSseState = 1u << 1;
constexpr std::uint64_t kAvxState = kSseState | 1u << 2;
constexpr std::uint64_t kAvx512State = kAvxState | 7u << 5;  // opmask, upper ZMM0-15, ZMM16-31

bool Saved(std::uint64_t wanted) {
    static const std::uint64_t saved = SavedRegisterState();
    return (saved & wanted) == wanted;
}
#endif

TransformKernel WidestSupportedKernel() {
    for (auto it = std::rbegin(kAllKernels); it != std::rend(kAllKernels); ++it)
        if (KernelSupported(*it)) return *it;
    return TransformKernel::Portable;
}

std::atomic<TransformKernel>& JobKernel() {
    static std::atomic<TransformKernel> kernel{WidestSupportedKernel()};
    return kernel;
}

}  // namespace

TransformKernel ChooseKernel(const char* name) {
    if (name != nullptr) {
        if (const auto kernel = KernelByName(name); kernel && KernelSupported(*kernel)) return *kernel;
    }
    return WidestSupportedKernel();
}

const char* KernelName(TransformKernel kernel) {
    switch (kernel) {
    case TransformKernel::Portable:
        return "portable";
    case TransformKernel::Ssse3:
        return "ssse3";
    case TransformKernel::Avx2:
        return "avx2";
    case TransformKernel::Avx512Vbmi:
        return "avx512vbmi";
    }
    return "?";
}

std::optional<TransformKernel> KernelByName(std::string_view name) {
    for (TransformKernel kernel : kAllKernels)
        if (name == KernelName(kernel)) return kernel;
    return std::nullopt;
}

bool KernelSupported(TransformKernel kernel) {
    if (kernel == TransformKernel::Portable) return true;
#ifdef MORVANE_X86_KERNELS
    __builtin_cpu_init();
    switch (kernel) {
    case TransformKernel::Ssse3:
        return __builtin_cpu_supports("ssse3") && Saved(kSseState);
    case TransformKernel::Avx2:
        return __builtin_cpu_supports("avx2") && Saved(kAvxState);
    case TransformKernel::Avx512Vbmi:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi") && Saved(kAvx512State);
    default:
        break;
    }
#endif
    return false;
}

TransformKernel ActiveKernel() {
    return JobKernel().load(std::memory_order_relaxed);
}

void UseKernel(TransformKernel kernel) {
    JobKernel().store(kernel, std::memory_order_relaxed);
}

BlockTransform::BlockTransform(const ByteTable& table, TransformKernel kernel) : m_kernel(kernel) {
    m_tables.table = table;
    switch (kernel) {
#ifdef MORVANE_X86_KERNELS
    case TransformKernel::Ssse3:
        m_apply = kernels::ApplySsse3;
        return;
    case TransformKernel::Avx2:
        m_apply = kernels::ApplyAvx2;
        return;
    case TransformKernel::Avx512Vbmi:
        m_apply = kernels::ApplyAvx512Vbmi;
        return;
#endif
    default:
        m_kernel = TransformKernel::Portable;
        kernels::BuildPairs(m_tables);
        m_apply = kernels::ApplyPortable;
        return;
    }
}

}  // namespace morvane
