// The program's arguments as the system splits its command line, with a
// quoted root, whose last backslash the splitting takes for an escape,
// given back as the shell meant it.
#include "program_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ProgramArgumentsTest, SplitsAsTheShellMeantIt) {
    const std::pair<const wchar_t*, std::vector<std::string>> cases[] = {
        {L"morvane.exe", {}},
        {L"morvane.exe /encode \"C:\\a b\\c.bin\" d.bin", {"/encode", "C:\\a b\\c.bin", "d.bin"}},
        {L"morvane.exe \"D:\\\"", {"D:\\"}},
        {L"morvane.exe x.bin /folder:\"D:\\\"", {"x.bin", "/folder:D:\\"}},
        {L"morvane.exe \"\u6587.bin\"", {"\xe6\x96\x87.bin"}},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(ArgumentsOfCommandLine(line), expected);
}

}  // namespace
