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

using morvane::ui::ArgumentProblem;
using morvane::ui::PathKind;
using morvane::ui::StartSwitch;

const std::map<std::string, PathKind> kNames = {
    {"C:\\d\\a.txt", PathKind::File}, {"C:\\d\\b.~mq", PathKind::File}, {"C:\\e\\c.txt", PathKind::File},
    {"C:\\out", PathKind::Folder},    {"C:\\out2", PathKind::Folder},   {"/encode", PathKind::Folder},
    {"NUL", PathKind::Other},         {"/data.bin", PathKind::File},
};

PathKind KindOf(const std::string& path) {
    const auto found = kNames.find(path);
    return found == kNames.end() ? PathKind::Missing : found->second;
}

struct Line {
    std::vector<std::string> arguments;
    std::vector<std::string> files;
    StartSwitch mode;
    std::string folder;
    bool usage;
    std::vector<std::pair<std::string, ArgumentProblem>> unused;
};

TEST(StartArgumentsTest, EachCommandLine) {
    const Line lines[] = {
        {{}, {}, StartSwitch::None, "", false, {}},
        {{"C:\\d\\a.txt", "C:\\e\\c.txt"}, {"C:\\d\\a.txt", "C:\\e\\c.txt"}, StartSwitch::None, "", false, {}},
        {{"/ENCODE", "C:\\d\\a.txt"}, {"C:\\d\\a.txt"}, StartSwitch::Encode, "", false, {}},
        {{"-Decode", "C:\\d\\b.~mq", "/Folder:C:\\out"}, {"C:\\d\\b.~mq"}, StartSwitch::Decode, "C:\\out", false, {}},
        {{"/?"}, {}, StartSwitch::None, "", true, {}},
        {{"-?", "C:\\d\\a.txt"}, {"C:\\d\\a.txt"}, StartSwitch::None, "", true, {}},
        {{"/encode", "/decode", "/encode"},
         {},
         StartSwitch::Encode,
         "",
         false,
         {{"/decode", ArgumentProblem::SecondMode}}},
        {{"/x", "C:\\d\\gone.txt", "C:\\d\\a.txt"},
         {"C:\\d\\a.txt"},
         StartSwitch::None,
         "",
         false,
         {{"/x", ArgumentProblem::UnknownSwitch}, {"C:\\d\\gone.txt", ArgumentProblem::Missing}}},
        {{"C:\\out", "C:\\d\\a.txt", "C:\\out2", "/folder:C:\\out"},
         {"C:\\d\\a.txt"},
         StartSwitch::None,
         "C:\\out",
         false,
         {{"C:\\out2", ArgumentProblem::SecondFolder}, {"/folder:C:\\out", ArgumentProblem::SecondFolder}}},
        {{"/folder:", "/folder:C:\\d\\a.txt", "/folder:C:\\nowhere", "NUL"},
         {},
         StartSwitch::None,
         "",
         false,
         {{"/folder:", ArgumentProblem::Missing},
          {"/folder:C:\\d\\a.txt", ArgumentProblem::NotAFolder},
          {"/folder:C:\\nowhere", ArgumentProblem::Missing},
          {"NUL", ArgumentProblem::NotFileOrFolder}}},
        // A switch's name is a switch even when a folder bears it; any other
        // word that looks like one is a path when it names something.
        {{"/encode", "/", "/data.bin"},
         {"/data.bin"},
         StartSwitch::Encode,
         "",
         false,
         {{"/", ArgumentProblem::Missing}}},
        {{"C:\\d\\a.txt", ""}, {"C:\\d\\a.txt"}, StartSwitch::None, "", false, {{"", ArgumentProblem::Missing}}},
    };
    for (const Line& line : lines) {
        const std::string where = line.arguments.empty() ? "(none)" : line.arguments.front();
        const morvane::ui::StartArguments parsed = morvane::ui::ParseStartArguments(line.arguments, KindOf);
        EXPECT_EQ(parsed.files, line.files) << where;
        EXPECT_EQ(parsed.mode, line.mode) << where;
        EXPECT_EQ(parsed.folder, line.folder) << where;
        EXPECT_EQ(parsed.usage, line.usage) << where;
        std::vector<std::pair<std::string, ArgumentProblem>> unused;
        for (const auto& [argument, problem] : parsed.unused) unused.emplace_back(argument, problem);
        EXPECT_EQ(unused, line.unused) << where;
    }
}

// Another process reads the paths alike: each made full, the switches kept.
TEST(StartArgumentsTest, PathsMadeFullForAnotherProcess) {
    const auto full = [](const std::string& path) { return "C:\\cwd\\" + path; };
    const std::vector<std::string> given = {"/Encode", "/?", "a.txt", "/FOLDER:out", "/folder:", "/x", "/data.bin", ""};
    const std::vector<std::string> expected = {"/Encode",  "/?", "C:\\cwd\\a.txt",     "/FOLDER:C:\\cwd\\out",
                                               "/folder:", "/x", "C:\\cwd\\/data.bin", ""};
    EXPECT_EQ(morvane::ui::WithFullPaths(given, KindOf, full), expected);
}

std::vector<std::uint8_t> ContainerStart() {
    std::vector<std::uint8_t> bytes(morvane::kMagic.begin(), morvane::kMagic.end());
    bytes.resize(bytes.size() + 4);
    morvane::PutLittleEndian(bytes.data() + 3, morvane::kMagicNumber, 4);
    return bytes;
}

// Reading "/d/unreadable" fails.
class UnreadablePlatform : public morvane::PlatformWrapper {
public:
    using PlatformWrapper::PlatformWrapper;
    std::unique_ptr<morvane::File> OpenSource(const std::string& path) override {
        struct Failing : morvane::FileWrapper {
            using BasicFileWrapper::BasicFileWrapper;
            std::size_t Read(void*, std::size_t) override { throw morvane::FileError("injected"); }
        };
        std::unique_ptr<morvane::File> file = Target().OpenSource(path);
        if (path != "/d/unreadable" || !file) return file;
        return std::make_unique<Failing>(std::move(file));
    }
};

TEST(StartArgumentsTest, PlanFollowsTheFirstFileAndTheSwitches) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        bool decode;
        bool startNow;
        std::string folderField;
        std::vector<std::string> itemFolders;
    };
    const Case cases[] = {
        {"a plain file: encode, its folder", {"/d/a.txt", "/e/c.txt"}, false, false, "/d", {"/d", "/d"}},
        {"a container first: decode", {"/d/b.~mq", "/d/a.txt"}, true, false, "/d", {"/d", "/d"}},
        {"a container second counts not", {"/d/a.txt", "/d/b.~mq"}, false, false, "/d", {"/d", "/d"}},
        {"magic with a wrong number", {"/d/bad.~mq"}, false, false, "/d", {"/d"}},
        {"shorter than the magic", {"/d/short"}, false, false, "/d", {"/d"}},
        {"unreadable", {"/d/unreadable"}, false, false, "/d", {"/d"}},
        {"gone since", {"/d/gone"}, false, false, "/d", {"/d"}},
        {"a folder given", {"/out", "/d/b.~mq"}, true, false, "/out", {"/out"}},
        {"/encode: each into its own folder", {"/encode", "/d/b.~mq", "/e/c.txt"}, false, true, "/d", {"/d", "/e"}},
        {"/decode into a folder",
         {"/decode", "/folder:/out", "/d/a.txt", "/e/c.txt"},
         true,
         true,
         "/out",
         {"/out", "/out"}},
        {"/decode without files starts nothing", {"/decode", "/out"}, false, false, "/out", {}},
    };
    morvane::fuzz::MemoryPlatform platform({});
    platform.Files()["/d/b.~mq"] = ContainerStart();
    platform.Files()["/d/bad.~mq"] = ContainerStart();
    platform.Files()["/d/bad.~mq"][3] ^= 1;
    platform.Files()["/d/short"] = {'~', 'm', 'q'};
    platform.Files()["/d/a.txt"] = {'t', 'e', 'x', 't', '.', '.', '.', '.'};
    platform.Files()["/e/c.txt"] = {};
    platform.Files()["/d/unreadable"] = ContainerStart();
    const auto kindOf = [](const std::string& path) {
        if (path == "/out") return PathKind::Folder;
        return path.starts_with("/d/") || path.starts_with("/e/") ? PathKind::File : PathKind::Missing;
    };
    UnreadablePlatform unreadable(platform);
    for (const Case& c : cases) {
        const morvane::ui::StartPlan plan =
            morvane::ui::PlanStart(morvane::ui::ParseStartArguments(c.arguments, kindOf), unreadable);
        EXPECT_EQ(plan.decode, c.decode) << c.name;
        EXPECT_EQ(plan.startNow, c.startNow) << c.name;
        EXPECT_EQ(plan.folderField, c.folderField) << c.name;
        std::vector<std::string> folders;
        for (const morvane::ui::QueueItem& item : plan.items) {
            folders.push_back(item.folder);
            EXPECT_EQ(item.decode, c.decode) << c.name;
        }
        EXPECT_EQ(folders, c.itemFolders) << c.name;
    }
}

TEST(StartArgumentsTest, UnusedArgumentsNamedWithTheirReasons) {
    EXPECT_EQ(morvane::ui::UnusedArgumentsText({}), "");
    EXPECT_EQ(morvane::ui::UnusedArgumentsText({{"/x", ArgumentProblem::UnknownSwitch}}),
              "Not used: \"/x\" (unknown switch).");
    EXPECT_EQ(morvane::ui::UnusedArgumentsText({{"D:\\b", ArgumentProblem::SecondFolder},
                                                {"COM1", ArgumentProblem::NotFileOrFolder},
                                                {"/decode", ArgumentProblem::SecondMode}}),
              "Not used: \"D:\\b\" (a second folder); \"COM1\" (neither a file nor a folder); \"/decode\" (only "
              "one of /encode and /decode).");
}

TEST(StartArgumentsTest, UsageNamesEverySwitch) {
    const std::string usage = morvane::ui::UsageText();
    for (const char* word : {"/encode", "/decode", "/folder:", "/?"}) EXPECT_NE(usage.find(word), std::string::npos);
}

}  // namespace
