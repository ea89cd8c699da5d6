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
    OutputMode output = OutputMode::Folder;
    std::string outputFile = "";
    std::string settings = "";  // as Settings() writes them
};

// The settings besides the paths, in one line: "ext=.EXT rm sync null".
std::string Settings(const CommandLine& parsed) {
    std::string line;
    if (parsed.storedExtension) line += " ext=" + *parsed.storedExtension;
    if (parsed.removeSources) line += " rm";
    if (parsed.sync) line += " sync";
    if (parsed.nullTerminated) line += " null";
    return line.empty() ? line : line.substr(1);
}

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, GivesActionPathsAndError) {
    const ParseCase& c = GetParam();
    const CommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.action, c.action);
    EXPECT_EQ(parsed.sources, c.sources);
    EXPECT_EQ(parsed.folder, c.folder);
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_EQ(parsed.output, c.output);
    EXPECT_EQ(parsed.outputFile, c.outputFile);
    EXPECT_EQ(Settings(parsed), c.settings);
}

constexpr OutputMode kStdout = OutputMode::StandardOutput;
constexpr OutputMode kFile = OutputMode::ExactFile;

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
    {"LoneDashNeedsStdoutOrFile", {"encode", "-", "out"}, Action::UsageError, {}, "", "'-' (standard input) needs -c or -o"},
    {"DotSlashDashIsAFile", {"encode", "./-", "out"}, Action::Encode, {"./-"}, "out", ""},
    {"SeparatorLetsPathsStartWithDash", {"encode", "--", "-a", "--help", "-out"}, Action::Encode, {"-a", "--help"}, "-out", ""},
    {"SeparatorBeforeCommand", {"--", "decode", "a", "out"}, Action::Decode, {"a"}, "out", ""},
    {"SecondSeparatorIsAPath", {"encode", "--", "--", "out"}, Action::Encode, {"--"}, "out", ""},
    {"OptionAfterSeparatorIsNotHelp", {"encode", "--", "--version"}, Action::UsageError, {}, "", "missing FOLDER"},
    {"Stdout", {"encode", "-c", "a", "b"}, Action::Encode, {"a", "b"}, "", "", kStdout},
    {"StdoutAfterPaths", {"decode", "a.~mq", "--stdout"}, Action::Decode, {"a.~mq"}, "", "", kStdout},
    {"StdoutNeedsSource", {"encode", "-c"}, Action::UsageError, {}, "", "missing SOURCE"},
    {"StdinToStdout", {"decode", "-c", "-", "-0"}, Action::Decode, {"-"}, "", "", kStdout, "", "null"},
    {"StdinOnlyOnce", {"encode", "-c", "-", "-"}, Action::UsageError, {}, "", "'-' (standard input) can be given only once"},
    {"Output", {"encode", "a", "-o", "x.~mq"}, Action::Encode, {"a"}, "", "", kFile, "x.~mq"},
    {"OutputAfterEquals", {"--output=x", "decode", "a"}, Action::Decode, {"a"}, "", "", kFile, "x"},
    {"OutputValueIsNoOption", {"encode", "a", "-o", "--help"}, Action::Encode, {"a"}, "", "", kFile, "--help"},
    {"StdinAfterSeparator", {"decode", "-o", "x", "--", "-"}, Action::Decode, {"-"}, "", "", kFile, "x"},
    {"OutputWithoutValue", {"encode", "a", "-o"}, Action::UsageError, {}, "", "missing FILE after '-o'"},
    {"HelpWinsOverMissingValue", {"encode", "a", "--help", "--output"}, Action::Help, {}, "", ""},
    {"OutputTakesOneSource", {"encode", "a", "b", "-o", "x"}, Action::UsageError, {}, "", "option '-o' takes one SOURCE"},
    {"OutputDashIsNoStdout", {"encode", "a", "-o", "-"}, Action::UsageError, {}, "", "option '-o' names a file: standard output is '-c'"},
    {"OutputGivenTwice", {"encode", "a", "-o", "x", "--output=y"}, Action::UsageError, {}, "", "option '--output' given twice"},
    {"StdoutAndOutput", {"encode", "-c", "a", "-o", "x"}, Action::UsageError, {}, "", "options '-c' and '-o' cannot be used together"},
    {"Ext", {"encode", "-", "--ext", ".tar", "-o", "x"}, Action::Encode, {"-"}, "", "", kFile, "x", "ext=.tar"},
    {"ExtAfterEquals", {"encode", "--ext=.gz", "-c", "-"}, Action::Encode, {"-"}, "", "", kStdout, "", "ext=.gz"},
    {"ExtNeedsStdin", {"encode", "--ext", ".tar", "a", "-o", "x"}, Action::UsageError, {}, "", "option '--ext' is only for encoding '-' (standard input)"},
    {"ExtNotForDecode", {"decode", "--ext", ".tar", "-c", "-"}, Action::UsageError, {}, "", "option '--ext' is only for encoding '-' (standard input)"},
    {"ExtStartsWithDot", {"encode", "--ext", "tar", "-c", "-"}, Action::UsageError, {}, "", "the extension after '--ext' must start with '.'"},
    {"RmImpliesSync", {"encode", "--rm", "a", "out"}, Action::Encode, {"a"}, "out", "", OutputMode::Folder, "", "rm sync"},
    {"SyncAndNull", {"decode", "a", "out", "--sync", "--null"}, Action::Decode, {"a"}, "out", "", OutputMode::Folder, "", "sync null"},
    {"RmNotWithStdout", {"encode", "--rm", "--stdout", "a"}, Action::UsageError, {}, "", "option '--rm' cannot be used with '--stdout'"},
    {"SwitchTakesNoValue", {"encode", "--rm=yes", "a", "out"}, Action::UsageError, {}, "", "unknown option '--rm=yes'"},
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
    {"JobOptionNotForInfo", {"info", "-c", "a"}, Action::UsageError, {}, false, "option '-c' is not for info"},
    {"DashIsAContainerPath", {"info", "-"}, Action::Info, {"-"}, false, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseInfoTest, ::testing::ValuesIn(kInfoCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTexts, UsageAndHelpShowBothCommands) {
    for (const std::string& text : {UsageText(), HelpText()}) {
        EXPECT_NE(text.find("morvane-cli encode SOURCE... FOLDER\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli decode SOURCE... FOLDER\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli info [--json] CONTAINER...\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli encode|decode -c SOURCE...\n"), std::string::npos) << text;
        EXPECT_NE(text.find("morvane-cli encode|decode SOURCE -o FILE\n"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace morvane::cli
