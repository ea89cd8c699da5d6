#include "container_format.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(ContainerFormat, HeaderSizeGrowsWithExtension) {
    EXPECT_EQ(HeaderSize(kFormatVersion2, 4), 544u);
    EXPECT_EQ(HeaderSize(kFormatVersion2, 255), 795u);
    EXPECT_EQ(HeaderSize(kFormatVersion1, 4), 536u);
}

}  // namespace
}  // namespace morvane
