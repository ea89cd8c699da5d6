#include "display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace morvane::cli {
namespace {

struct EscapeCase {
    const char* name;
    std::string text;
    std::string shown;
};

class EscapeForTerminalTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeForTerminalTest, ShowsControlsAndBadBytesAsEscapes) {
    EXPECT_EQ(EscapeForTerminal(GetParam().text), GetParam().shown);
}

using namespace std::string_literals;

const EscapeCase kCases[] = {
    {"PlainName", "out/report.~mq", "out/report.~mq"},
    {"BackslashesAndSpacesKept", "C:\\Users\\a b\\x.~mq", "C:\\Users\\a b\\x.~mq"},
    {"LettersAndSymbolsKept", "caf\xC3\xA9 \xC2\xA0 \xE2\x80\xAE \xF0\x9F\x94\x91",
     "caf\xC3\xA9 \xC2\xA0 \xE2\x80\xAE \xF0\x9F\x94\x91"},
    {"NamedControls", "a\nb\tc\rd", "a\\nb\\tc\\rd"},
    {"OtherC0AndDel", "\x1B[31m\x7F\x01"s + '\0', "\\x1B[31m\\x7F\\x01\\x00"},
    {"C1Controls", "\xC2\x80 \xC2\x85 \xC2\x9B", "\\u0080 \\u0085 \\u009B"},
    {"StrayAndCutBytes", "\x80 \xFF \xC3 \xE2\x82", "\\x80 \\xFF \\xC3 \\xE2\\x82"},
    {"OverlongAndSurrogate", "\xC0\xAF \xED\xA0\x80", "\\xC0\\xAF \\xED\\xA0\\x80"},
};

INSTANTIATE_TEST_SUITE_P(Cases, EscapeForTerminalTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane::cli
