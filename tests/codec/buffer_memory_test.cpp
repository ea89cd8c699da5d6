// Buffer memory is whole pages that hold what is written to them, whatever
// the size asked for and whether or not the system gave huge pages.
#include "buffer_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace morvane {
namespace {

TEST(BufferMemory, RegionsArePageAlignedAndHoldEveryByte) {
    constexpr std::size_t kMiB = 1024 * 1024;
    // Under a page, one page, a writer's buffer, a reader's pair (just over
    // a huge page), and several huge pages.
    const std::vector<std::size_t> sizes = {1, 4096, kMiB + 4096, 2 * kMiB + 8192, 6 * kMiB};
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        BufferMemory first(size);
        BufferMemory second(size);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(first.Data()) % 4096, 0u);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(second.Data()) % 4096, 0u);
        for (std::size_t i = 0; i < size; ++i) {
            first.Data()[i] = static_cast<std::uint8_t>(i * 7);
            second.Data()[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < size; ++i) {
            wrong += first.Data()[i] != static_cast<std::uint8_t>(i * 7);
            wrong += second.Data()[i] != static_cast<std::uint8_t>(i * 7 + 1);
        }
        EXPECT_EQ(wrong, 0u);
    }
}

}  // namespace
}  // namespace morvane
