#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane::cli {
namespace {

using Arguments = std::vector<std::string>;

struct ParseCase {
    const char* name;
    Arguments arguments;
    Action action;
    Arguments sources;
    std::string folder;
    std::string error;
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, GivesActionPathsAndError) {
    const ParseCase& c = GetParam();
    const CommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.action, c.action);
    EXPECT_EQ(parsed.sources, c.sources);
    EXPECT_EQ(parsed.folder, c.folder);
    EXPECT_EQ(parsed.error, c.error);
}

const ParseCase kCases[] = {
    {"NoArguments", {}, Action::UsageError, {}, "", "missing command"},
    {"CommandOnly", {"encode"}, Action::UsageError, {}, "", "missing SOURCE and FOLDER"},
    {"OnePathOnly", {"decode", "a.~mq"}, Action::UsageError, {}, "", "missing FOLDER"},
    {"UnknownCommand", {"convert", "a", "out"}, Action::UsageError, {}, "", "unknown command 'convert'"},
    {"CommandIsCaseSensitive", {"Encode", "a", "out"}, Action::UsageError, {}, "", "unknown command 'Encode'"},
    {"UnknownOption", {"encode", "-x", "a", "out"}, Action::UsageError, {}, "", "unknown option '-x'"},
    {"FirstUnknownOptionNamed", {"--fast", "--slow"}, Action::UsageError, {}, "", "unknown option '--fast'"},
    {"Help", {"--help"}, Action::Help, {}, "", ""},
    {"ShortHelp", {"-h"}, Action::Help, {}, "", ""},
    {"HelpAfterCommand", {"encode", "a", "--help"}, Action::Help, {}, "", ""},
    {"HelpWinsOverUnknownOption", {"--bogus", "--help"}, Action::Help, {}, "", ""},
    {"HelpWinsOverVersion", {"--version", "--help"}, Action::Help, {}, "", ""},
    {"Version", {"--version"}, Action::Version, {}, "", ""},
    {"ShortVersion", {"-V"}, Action::Version, {}, "", ""},
    {"EncodeOneSource", {"encode", "a.bin", "out"}, Action::Encode, {"a.bin"}, "out", ""},
    {"EncodeThreeSources", {"encode", "a", "b c", "d", "out/"}, Action::Encode, {"a", "b c", "d"}, "out/", ""},
    {"DecodeOneSource", {"decode", "a.~mq", "out"}, Action::Decode, {"a.~mq"}, "out", ""},
    {"EmptyPathsAreKept", {"encode", "", ""}, Action::Encode, {""}, "", ""},
    {"LoneDashIsAPath", {"encode", "-", "out"}, Action::Encode, {"-"}, "out", ""},
    {"SeparatorLetsPathsStartWithDash", {"encode", "--", "-a", "--help", "-out"}, Action::Encode, {"-a", "--help"}, "-out", ""},
    {"SeparatorBeforeCommand", {"--", "decode", "a", "out"}, Action::Decode, {"a"}, "out", ""},
    {"SecondSeparatorIsAPath", {"encode", "--", "--", "out"}, Action::Encode, {"--"}, "out", ""},
    {"OptionAfterSeparatorIsNotHelp", {"encode", "--", "--version"}, Action::UsageError, {}, "", "missing FOLDER"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseCommandLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct InfoCase {
    const char* name;
    Arguments arguments;
    Action action;
    Arguments sources;
    bool json;
    std::string error;
};

class ParseInfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(ParseInfoTest, GivesContainersAndJson) {
    const InfoCase& c = GetParam();
    const CommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.action, c.action);
    EXPECT_EQ(parsed.sources, c.sources);
    EXPECT_EQ(parsed.folder, "");
    EXPECT_EQ(parsed.json, c.json);
    EXPECT_EQ(parsed.error, c.error);
}

const InfoCase kInfoCases[] = {
    {"NoContainer", {"info"}, Action::UsageError, {}, false, "missing CONTAINER"},
    {"OneContainer", {"info", "a.~mq"}, Action::Info, {"a.~mq"}, false, ""},
    {"EveryPathIsAContainer", {"info", "a", "b", "out/"}, Action::Info, {"a", "b", "out/"}, false, ""},
    {"Json", {"info", "--json", "a"}, Action::Info, {"a"}, true, ""},
    {"JsonAnywhere", {"--json", "info", "a"}, Action::Info, {"a"}, true, ""},
    {"JsonAfterSeparatorIsAPath", {"info", "--", "--json"}, Action::Info, {"--json"}, false, ""},
    {"JsonOnlyForInfo", {"encode", "--json", "a", "out"}, Action::UsageError, {}, false,
     "option '--json' is only for info"},
    {"UnknownOptionWithInfo", {"info", "-j", "a"}, Action::UsageError, {}, false, "unknown option '-j'"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseInfoTest, ::testing::ValuesIn(kInfoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTexts, UsageAndHelpShowBothCommands) {
    for (const std::string& text : {UsageText(), HelpText()}) {
        EXPECT_NE(text.find("morvane-cli encode SOURCE... FOLDER\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli decode SOURCE... FOLDER\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli info [--json] CONTAINER...\n"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace morvane::cli
