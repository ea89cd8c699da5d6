// Every kernel against the one-byte rule, on whichever kernels this machine
// runs; the others are reported as skipped.
#include "block_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace morvane {
namespace {

StoredKey RandomKey(std::mt19937& random) {
    StoredKey key{};
    std::iota(key.begin(), key.end(), std::uint8_t{0});
    std::shuffle(key.begin(), key.end(), random);
    return key;
}

class KernelTest : public ::testing::TestWithParam<TransformKernel> {
protected:
    void SetUp() override {
        if (!KernelSupported(GetParam())) GTEST_SKIP() << KernelName(GetParam()) << " not supported here";
    }
};

// Each size from 1 to 4096 (the vector widths' tails included), with a new
// random key and random bytes every time, from and to addresses that are not
// aligned; bytes around the output must stay untouched.
TEST_P(KernelTest, MatchesTheOneByteRuleForEverySize) {
    std::mt19937 random(20261207u + static_cast<unsigned>(GetParam()));
    std::vector<std::uint8_t> input(kBlockSize + 64), expected(kBlockSize + 128), actual(kBlockSize + 128);
    for (std::size_t size = 1; size <= kBlockSize; ++size) {
        const StoredKey key = RandomKey(random);
        const BlockTransform transform(key, GetParam());
        ASSERT_EQ(transform.Kernel(), GetParam());
        const std::size_t inOffset = random() % 64, outOffset = random() % 64;
        for (std::size_t i = 0; i < size; ++i) input[inOffset + i] = static_cast<std::uint8_t>(random());
        std::fill(expected.begin(), expected.end(), std::uint8_t{0xA5});
        std::fill(actual.begin(), actual.end(), std::uint8_t{0xA5});
        TransformBlock(input.data() + inOffset, expected.data() + outOffset, size, key);
        transform.Apply(input.data() + inOffset, actual.data() + outOffset, size);
        ASSERT_EQ(actual, expected) << KernelName(GetParam()) << ", size " << size;
    }
}

// Every byte value through every table row, in a full block, both ways.
TEST_P(KernelTest, EncodesAndDecodesEveryByteValue) {
    std::mt19937 random(7u);
    const StoredKey key = RandomKey(random);
    StoredKey inverse{};
    for (std::size_t v = 0; v < kKeySize; ++v) inverse[key[v]] = static_cast<std::uint8_t>(v);
    std::vector<std::uint8_t> input(kBlockSize), stored(kBlockSize), restored(kBlockSize);
    for (std::size_t i = 0; i < kBlockSize; ++i) input[i] = static_cast<std::uint8_t>(i * 7);
    BlockTransform(key, GetParam()).Apply(input.data(), stored.data(), kBlockSize);
    for (std::size_t i = 0; i < kBlockSize; ++i) ASSERT_EQ(stored[kBlockSize - 1 - i], key[input[i]]) << i;
    BlockTransform(inverse, GetParam()).Apply(stored.data(), restored.data(), kBlockSize);
    EXPECT_EQ(restored, input);
}

// Pages that can be read, between two that cannot: a read past either end
// faults.
class GuardedPages {
public:
    static constexpr std::size_t kPage = 4096;
    explicit GuardedPages(std::size_t pages) : m_size((pages + 2) * kPage) {
#ifdef _WIN32
        m_base = static_cast<std::uint8_t*>(::VirtualAlloc(nullptr, m_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base, kPage, PAGE_NOACCESS, &old);
        ::VirtualProtect(m_base + m_size - kPage, kPage, PAGE_NOACCESS, &old);
#else
        m_base = static_cast<std::uint8_t*>(
            ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        ::mprotect(m_base, kPage, PROT_NONE);
        ::mprotect(m_base + m_size - kPage, kPage, PROT_NONE);
#endif
    }
    ~GuardedPages() {
#ifdef _WIN32
        ::VirtualFree(m_base, 0, MEM_RELEASE);
#else
        ::munmap(m_base, m_size);
#endif
    }
    std::uint8_t* Begin() const { return m_base + kPage; }
    std::uint8_t* End() const { return m_base + m_size - kPage; }

private:
    std::size_t m_size;
    std::uint8_t* m_base;
};

// A kernel may read whole cache lines around its input, never past them:
// input that starts a page's first line or ends its last is read without a
// fault, from every offset within a line.
TEST_P(KernelTest, ReadsNoPageBeyondTheInput) {
    std::mt19937 random(11u);
    const StoredKey key = RandomKey(random);
    const BlockTransform transform(key, GetParam());
    GuardedPages pages(2);
    for (std::size_t i = 0; pages.Begin() + i < pages.End(); ++i) pages.Begin()[i] = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> expected(kBlockSize), actual(kBlockSize);
    for (const std::size_t size : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{200}, kBlockSize}) {
        for (std::size_t offset = 0; offset < 64; ++offset) {
            const std::uint8_t* const starts[] = {pages.Begin() + offset, pages.End() - size - offset};
            for (const std::uint8_t* input : starts) {
                TransformBlock(input, expected.data(), size, key);
                transform.Apply(input, actual.data(), size);
                ASSERT_TRUE(std::equal(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(size),
                                       expected.begin()))
                    << KernelName(GetParam()) << ", size " << size << ", offset " << offset;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllKernels, KernelTest, ::testing::ValuesIn(kAllKernels),
                         [](const auto& info) { return std::string(KernelName(info.param)); });

TEST(KernelDispatch, NamesGoBothWays) {
    for (TransformKernel kernel : kAllKernels) EXPECT_EQ(KernelByName(KernelName(kernel)), kernel);
    EXPECT_EQ(KernelByName("AVX2"), std::nullopt);
    EXPECT_EQ(KernelByName(""), std::nullopt);
}

TEST(KernelDispatch, PortableIsAlwaysThere) {
    EXPECT_TRUE(KernelSupported(TransformKernel::Portable));
    EXPECT_TRUE(KernelSupported(ActiveKernel()));
}

TEST(KernelDispatch, ANameChoosesOnlyASupportedKernel) {
    TransformKernel widest = TransformKernel::Portable;
    for (TransformKernel kernel : kAllKernels)
        if (KernelSupported(kernel)) widest = kernel;
    EXPECT_EQ(ChooseKernel(nullptr), widest);
    EXPECT_EQ(ChooseKernel(""), widest);
    EXPECT_EQ(ChooseKernel("AVX2"), widest);
    EXPECT_EQ(ChooseKernel("fastest"), widest);
    for (TransformKernel kernel : kAllKernels)
        EXPECT_EQ(ChooseKernel(KernelName(kernel)), KernelSupported(kernel) ? kernel : widest) << KernelName(kernel);
}

TEST(KernelDispatch, JobsUseTheKernelTheProgramGives) {
    const TransformKernel before = ActiveKernel();
    for (TransformKernel kernel : kAllKernels) {
        if (!KernelSupported(kernel)) continue;
        UseKernel(kernel);
        EXPECT_EQ(ActiveKernel(), kernel);
        EXPECT_EQ(BlockTransform(StoredKey{}).Kernel(), kernel);
    }
    UseKernel(before);
}

// The suite runs once as it is and once with MORVANE_KERNEL=portable, passed
// in as the front ends pass it; the variable must then decide what the jobs
// use.
TEST(KernelDispatch, TheVariableForcesASupportedKernel) {
    const char* forced = std::getenv("MORVANE_KERNEL");
    const auto kernel = forced ? KernelByName(forced) : std::nullopt;
    if (!kernel || !KernelSupported(*kernel)) {
        for (TransformKernel wider : kAllKernels) {
            if (KernelSupported(wider)) {
                EXPECT_GE(ActiveKernel(), wider) << "not the widest";
            }
        }
        return;
    }
    EXPECT_EQ(ActiveKernel(), *kernel);
    EXPECT_EQ(BlockTransform(StoredKey{}).Kernel(), *kernel);
}

}  // namespace
}  // namespace morvane
