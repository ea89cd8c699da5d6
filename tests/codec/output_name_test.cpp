// Output names at the name limit: names in any script kept whole as far as
// the file system's count allows, and numbered names fitted before any data
// is written.
#include <gtest/gtest.h>

#include <string>

#include "job_test_fixture.h"
#include "memory_platform.h"
#include "utf8.h"

namespace morvane::test {
namespace {

std::string Repeat(const std::string& text, std::size_t count) {
    std::string result;
    while (count-- > 0) result += text;
    return result;
}

// Files in memory, so names longer than a Linux file system holds can be
// sources, split and counted as this system's platform does.
class SystemNamedMemory final : public PlatformWrapper {
public:
    using PlatformWrapper::PlatformWrapper;
    PathParts SplitPath(const std::string& path) override { return SystemPlatform().SplitPath(path); }
    NameUnit NameLengthUnit() const override { return SystemPlatform().NameLengthUnit(); }
};

// Runs a job that must succeed; returns its output's name, which must fit
// the limit and keep every character whole.
std::string OutputOf(JobKind kind, const std::string& source, const std::string& folder, Platform& platform) {
    RecordingJobHost host;
    EXPECT_EQ(RunJob(kind, source, folder, host, platform), kJobDone) << ::testing::PrintToString(host.Messages());
    const std::string path = host.OutputPaths().empty() ? "" : host.OutputPaths()[0];
    const std::string name = path.substr(path.find_last_of("/\\") + 1);
    EXPECT_LE(NameLength(name, platform.NameLengthUnit()), kNameLimit) << name;
    EXPECT_TRUE(IsValidUtf8(name)) << ::testing::PrintToString(name);
    return name;
}

TEST(OutputName, NamesInAnyScriptComeBackWholeAsFarAsTheLimitAllows) {
    const std::string cyrillic = "\xD0\xAF", cjk = "\xE6\x96\x87", smiley = "\xF0\x9F\x98\x80";  // U+1F600
    const struct {
        std::string source, onWindows, onLinux;  // 255 UTF-16 units; 255 bytes
    } cases[] = {
        {Repeat(cyrillic, 130) + ".bin", Repeat(cyrillic, 130) + ".bin", Repeat(cyrillic, 125) + ".bin"},
        {Repeat(cjk, 200) + ".bin", Repeat(cjk, 200) + ".bin", Repeat(cjk, 83) + ".bin"},
        {Repeat(smiley, 125) + ".bin", Repeat(smiley, 125) + ".bin", Repeat(smiley, 62) + ".bin"},
        // The extension gives way only to leave some of the base.
        {"report." + std::string(253, 'e'), "report." + std::string(248, 'e'), "report." + std::string(248, 'e')},
    };
    const bool windows = SystemPlatform().NameLengthUnit() == NameUnit::Utf16;
    for (const auto& c : cases) {
        fuzz::MemoryPlatform memory({});
        SystemNamedMemory platform(memory);
        memory.Files()["in/" + c.source] = PatternBytes(kSourceSize);
        const std::string container = OutputOf(JobKind::Encode, "in/" + c.source, "out", platform);
        EXPECT_EQ(OutputOf(JobKind::Decode, "out/" + container, "back", platform), windows ? c.onWindows : c.onLinux);
        // With the plain names taken, each job takes a numbered name that fits.
        EXPECT_TRUE(OutputOf(JobKind::Encode, "in/" + c.source, "out", platform).ends_with(" (2).~mq"));
        EXPECT_NE(OutputOf(JobKind::Decode, "out/" + container, "back", platform).find(" (2)."), std::string::npos);
    }
}

TEST(OutputName, TemporaryNamesFillTheLimitWithWholeCharacters) {
    for (const NameUnit unit : {NameUnit::Byte, NameUnit::Utf16}) {
        const std::string temporary = TemporaryOutputName(Repeat("\xD0\xAF", 300), "a1b2c3", unit);
        EXPECT_TRUE(IsValidUtf8(temporary) && temporary.ends_with(".a1b2c3.~mq-part"));
        EXPECT_GE(NameLength(temporary, unit), kNameLimit - 1);
        EXPECT_LE(NameLength(temporary, unit), kNameLimit);
    }
}

class NumberedName : public JobTest {};

TEST_F(NumberedName, FitsBeforeAnyDataIsWrittenAndTheJobSucceeds) {
    std::vector<std::string> bases;
    for (std::size_t length = 250; length <= 255; ++length) bases.push_back(std::string(length, 'n'));
    // Under Wine the Linux file system beneath still counts bytes, so names
    // longer in bytes than in UTF-16 units are tried natively only.
    if (platform.NameLengthUnit() == NameUnit::Byte) bases.push_back(Repeat("\xD0\xAF", 127));
    for (const std::string& base : bases) {
        const std::string folder = temp.MakeFolder(base.substr(0, 6) + std::to_string(base.size()));
        const std::string source = MakeSource(base, kSourceSize);
        OutputOf(JobKind::Encode, source, folder, platform);
        const std::string numbered = OutputOf(JobKind::Encode, source, folder, platform);
        EXPECT_TRUE(numbered.starts_with(base.substr(0, 100)) && numbered.ends_with(" (2).~mq")) << numbered;
        // A fitted name may be the one taken already: the next number follows.
        EXPECT_NE(OutputOf(JobKind::Decode, folder + "/" + numbered, folder, platform),
                  OutputOf(JobKind::Decode, folder + "/" + numbered, folder, platform));
    }
}

}  // namespace
}  // namespace morvane::test
