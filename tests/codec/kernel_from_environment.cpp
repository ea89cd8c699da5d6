// The codec tests take the transform kernel from MORVANE_KERNEL as the
// programs do, so the suite can run the jobs with each kernel.
#include <gtest/gtest.h>

#include <cstdlib>

#include "block_transform.h"

namespace morvane::test {
namespace {

class KernelFromEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { UseKernel(ChooseKernel(std::getenv("MORVANE_KERNEL"))); }
};

[[maybe_unused]] ::testing::Environment* const kKernelFromEnvironment =
    ::testing::AddGlobalTestEnvironment(new KernelFromEnvironment);

}  // namespace
}  // namespace morvane::test
