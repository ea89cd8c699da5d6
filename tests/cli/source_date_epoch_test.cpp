#include "source_date_epoch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace morvane::cli {
namespace {

struct EpochCase {
    const char* name;
    const char* value;
    bool valid;
    bool fixed;
    std::int64_t seconds;
};

class SourceDateEpochTest : public ::testing::TestWithParam<EpochCase> {};

TEST_P(SourceDateEpochTest, ParsesOnlyDecimalSeconds) {
    const EpochCase& c = GetParam();
    const EpochSetting setting = ParseSourceDateEpoch(c.value);
    EXPECT_EQ(setting.valid, c.valid);
    ASSERT_EQ(setting.seconds.has_value(), c.fixed);
    if (c.fixed) {
        EXPECT_EQ(*setting.seconds, c.seconds);
    }
}

const EpochCase kCases[] = {
    {"NotSet", nullptr, true, false, 0},
    {"EmptyMeansNotSet", "", true, false, 0},
    {"Zero", "0", true, true, 0},
    {"TypicalSecond", "1700000000", true, true, 1700000000},
    {"LeadingZeros", "000042", true, true, 42},
    {"Beyond2038", "4102444800", true, true, 4102444800LL},
    {"Negative", "-1", false, false, 0},
    {"PlusSign", "+5", false, false, 0},
    {"Fraction", "1700000000.5", false, false, 0},
    {"TrailingBlank", "1700000000 ", false, false, 0},
    {"LeadingBlank", " 1700000000", false, false, 0},
    {"Letters", "yesterday", false, false, 0},
    {"Hexadecimal", "0x10", false, false, 0},
    {"Overflow", "99999999999999999999999", false, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, SourceDateEpochTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SourceDateEpoch, SameValuesValidWhateverTheWidthOfTimeT) {
    EXPECT_TRUE(ParseSourceDateEpoch("9223372036854775807").valid);
    EXPECT_FALSE(ParseSourceDateEpoch("9223372036854775808").valid);
}

// The key is seeded with the low 32 bits of the second, so a 32-bit time_t
// must keep exactly those for containers to match across systems.
TEST(SourceDateEpoch, KeepsTheLow32BitsTheKeyIsSeededWith) {
    const EpochSetting setting = ParseSourceDateEpoch("5994967296");  // 2^32 + 1700000000
    ASSERT_TRUE(setting.seconds.has_value());
    EXPECT_EQ(static_cast<std::uint32_t>(*setting.seconds), 1700000000u);
}

}  // namespace
}  // namespace morvane::cli
