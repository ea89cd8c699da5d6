#include "source_date_epoch.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace morvane::cli {
namespace {

struct EpochCase {
    const char* name;
    const char* value;
    bool valid;
    bool fixed;
    std::time_t seconds;
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
    {"Beyond2038", "4102444800", true, true, static_cast<std::time_t>(4102444800LL)},
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

TEST(SourceDateEpoch, LatestSecondOfTimeTIsAccepted) {
    const std::string latest = std::to_string(std::numeric_limits<std::time_t>::max());
    const EpochSetting setting = ParseSourceDateEpoch(latest.c_str());
    ASSERT_TRUE(setting.seconds.has_value());
    EXPECT_EQ(*setting.seconds, std::numeric_limits<std::time_t>::max());
    const std::string beyond = latest + "0";
    EXPECT_FALSE(ParseSourceDateEpoch(beyond.c_str()).valid);
}

}  // namespace
}  // namespace morvane::cli
