// The program's arguments: what each command line yields, how a start is
// planned from them, and the texts for what was not used.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "command_line.h"
#include "container_format.h"
#include "memory_platform.h"

namespace {

using morvane::ui::PathKind;

PathKind KindOf(const std::string& path) {
    static const std::map<std::string, PathKind> kNames = {
        {"a", PathKind::File},      {"b.~mq", PathKind::File},     {"c", PathKind::File},    {"out", PathKind::Folder},
        {"out2", PathKind::Folder}, {"/encode", PathKind::Folder}, {"NUL", PathKind::Other}, {"/data", PathKind::File},
    };
    const auto found = kNames.find(path);
    return found == kNames.end() ? PathKind::Missing : found->second;
}

std::vector<std::string> Split(const std::string& words) {
    std::vector<std::string> result;
    for (std::size_t at = 0; at <= words.size() && !words.empty();) {
        const std::size_t end = std::min(words.find('|', at), words.size());
        result.push_back(words.substr(at, end - at));
        at = end + 1;
    }
    return result;
}

// The parse in one line: files, then the mode, folder and usage when
// given, then the note on what was not used.
std::string Describe(const morvane::ui::StartArguments& parsed) {
    std::string text;
    for (const std::string& file : parsed.files) text += file + " ";
    const char* modes[] = {"", "/encode ", "/decode "};
    text += modes[static_cast<int>(parsed.mode)];
    if (!parsed.folder.empty()) text += "[" + parsed.folder + "] ";
    if (parsed.usage) text += "usage ";
    return text + morvane::ui::UnusedArgumentsText(parsed.unused);
}

TEST(StartArgumentsTest, EachCommandLine) {
    const std::pair<const char*, const char*> lines[] = {
        {"", ""},
        {"a|c", "a c "},
        {"/ENCODE|a", "a /encode "},
        {"-Decode|b.~mq|/Folder:out", "b.~mq /decode [out] "},
        {"/?", "usage "},
        {"-?|a", "a usage "},
        {"/encode|/decode|/encode", "/encode Not used: \"/decode\" (only one of /encode and /decode)."},
        {"/x|gone|a", "a Not used: \"/x\" (unknown switch); \"gone\" (not found)."},
        {"out|a|out2|/folder:out", "a [out] Not used: \"out2\" (a second folder); \"/folder:out\" (a second folder)."},
        {"/folder:|/folder:a|/folder:gone|NUL",
         "Not used: \"/folder:\" (not found); \"/folder:a\" (not a folder); \"/folder:gone\" (not found); \"NUL\" "
         "(neither a file nor a folder)."},
        // A switch's name is a switch even when a folder bears it; any other
        // word that looks like one is a path when it names something.
        {"/encode|/data|-", "/data /encode Not used: \"-\" (not found)."},
        {"a|", "a Not used: \"\" (not found)."},
    };
    for (const auto& [line, expected] : lines)
        EXPECT_EQ(Describe(morvane::ui::ParseStartArguments(Split(line), KindOf)), expected) << line;
}

// Another process reads the paths alike: each made full, the switches kept.
TEST(StartArgumentsTest, PathsMadeFullForAnotherProcess) {
    const auto full = [](const std::string& path) { return "C:\\cwd\\" + path; };
    EXPECT_EQ(morvane::ui::WithFullPaths(Split("/Encode|/?|a|/FOLDER:out|/folder:|/x|/data|"), KindOf, full),
              Split("/Encode|/?|C:\\cwd\\a|/FOLDER:C:\\cwd\\out|/folder:|/x|C:\\cwd\\/data|"));
}

TEST(StartArgumentsTest, PlanFollowsTheFirstFileAndTheSwitches) {
    // The plan in one line: the mode, "now" when it starts at once, the
    // folder field, then each item's folder.
    const std::pair<const char*, const char*> cases[] = {
        {"/d/a|/e/c", "encode [/d] /d /d"},
        {"/d/b.~mq|/d/a", "decode [/d] /d /d"},
        {"/d/a|/d/b.~mq", "encode [/d] /d /d"},
        {"/d/wrong-number", "encode [/d] /d"},
        {"/d/short", "encode [/d] /d"},
        {"/d/gone", "encode [/d] /d"},
        {"/out|/d/b.~mq", "decode [/out] /out"},
        {"/encode|/d/b.~mq|/e/c", "encode now [/d] /d /e"},
        {"/decode|/folder:/out|/d/a|/e/c", "decode now [/out] /out /out"},
        {"/decode|/out", "encode [/out]"},
    };
    std::vector<std::uint8_t> container(morvane::kMagic.begin(), morvane::kMagic.end());
    container.resize(container.size() + 4);
    morvane::PutLittleEndian(container.data() + 3, morvane::kMagicNumber, 4);
    morvane::fuzz::MemoryPlatform platform({});
    platform.Files()["/d/b.~mq"] = container;
    platform.Files()["/d/wrong-number"] = container;
    platform.Files()["/d/wrong-number"][3] ^= 1;
    platform.Files()["/d/short"] = {'~', 'm', 'q'};
    platform.Files()["/d/a"] = {'t', 'e', 'x', 't', '.', '.', '.', '.'};
    platform.Files()["/e/c"] = {};
    const auto kindOf = [](const std::string& path) {
        if (path == "/out") return PathKind::Folder;
        return path.starts_with("/d/") || path.starts_with("/e/") ? PathKind::File : PathKind::Missing;
    };
    for (const auto& [line, expected] : cases) {
        const auto plan = morvane::ui::PlanStart(morvane::ui::ParseStartArguments(Split(line), kindOf), platform);
        std::string text = std::string(plan.decode ? "decode" : "encode") + (plan.startNow ? " now" : "");
        text += " [" + plan.folderField + "]";
        for (const morvane::ui::QueueItem& item : plan.items)
            text += (item.decode == plan.decode ? " " : " (other mode) ") + item.folder;
        EXPECT_EQ(text, expected) << line;
    }

    // A container that cannot be read opens in encode mode.
    morvane::fuzz::MemoryFaults faults;
    faults.readErrorAt = 0;
    morvane::fuzz::MemoryPlatform failing(faults);
    failing.Files()["/d/b.~mq"] = container;
    EXPECT_FALSE(morvane::ui::StartsLikeContainer(failing, "/d/b.~mq"));
    EXPECT_TRUE(morvane::ui::StartsLikeContainer(platform, "/d/b.~mq"));
}

TEST(StartArgumentsTest, UsageNamesEverySwitch) {
    const std::string usage = morvane::ui::UsageText();
    for (const char* word : {"/encode", "/decode", "/folder:", "/?"}) EXPECT_NE(usage.find(word), std::string::npos);
}

}  // namespace
