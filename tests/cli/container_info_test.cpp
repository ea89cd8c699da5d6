// morvane-cli info: on containers the tool made and on every kind of
// container decoding refuses, the verdict is word for word what
// `morvane-cli decode` says, and the facts are those of the header.
#include "container_info.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fault_injecting_platform.h"
#include "job.h"
#include "job_frame.h"
#include "recording_job_host.h"
#include "run_jobs.h"
#include "test_containers.h"
#include "test_files.h"

namespace morvane::cli {
namespace {

using test::Bytes;
using test::kSourceSize;

class ContainerInfoTest : public ::testing::Test {
protected:
    // A container made by the encode job from a source of kSourceSize bytes.
    Bytes MadeContainer() {
        const std::string source = temp / "report.pdf";
        test::WriteBytes(source, test::PatternBytes(kSourceSize, 5));
        const std::string folder = temp.MakeFolder("made");
        test::RecordingJobHost host;
        EXPECT_EQ(RunJob(JobKind::Encode, source, folder, host, platform), kJobDone)
            << ::testing::PrintToString(host.Messages());
        return test::ReadBytes(host.OutputPaths().at(0));
    }

    // What `morvane-cli decode PATH FOLDER` shows: its message, or "" when
    // it decodes.
    std::string DecodeMessage(const std::string& path) {
        CommandLine command;
        command.action = Action::Decode;
        command.sources = {path};
        command.folder = temp.MakeFolder("decoded");
        test::RecordingJobHost host;
        RunJobs(command, host, platform);
        return host.Messages().empty() ? "" : host.Messages().front();
    }

    test::TempFolder temp;
    test::FaultInjectingPlatform platform;
};

TEST_F(ContainerInfoTest, VerdictIsWhatDecodingSays) {
    const Bytes made = MadeContainer();
    const std::size_t keyAt = 27 + 1 + 4;
    const auto changed = [&](std::size_t offset, std::uint8_t value) {
        Bytes bytes = made;
        bytes[offset] = value;
        return bytes;
    };
    struct Case {
        const char* what;
        std::optional<Bytes> bytes;  // none: no file; empty: a folder
        std::string verdict;         // with PATH for the path
        std::optional<bool> keyIsPermutation;
    };
    const std::string damaged = "The encoded file \"PATH\" is damaged.";
    const Case cases[] = {
        {"made by the tool", made, "", true},
        {"version 1", test::InVersion(made, kFormatVersion1, kSourceSize), "", true},
        {"second key copy changed", changed(keyAt + 256, 0), "", true},
        {"bad magic", changed(0, 'X'), "Inavalid encoded file \"PATH\" .\nPlease select a valid encoded file.",
         std::nullopt},
        {"bad magic number", changed(4, 0), "Inavalid encoded file \"PATH\" .\nPlease select a valid encoded file.",
         std::nullopt},
        {"version 2 lengths, cut short", Bytes(made.begin(), made.end() - 1), damaged, true},
        {"version 2 first length", changed(12, 0xFF), damaged, true},
        {"version 1 lengths", test::InVersion(made, kFormatVersion1, kSourceSize - 1), damaged, true},
        {"key not a permutation", changed(keyAt, made[keyAt + 1]), damaged, false},
        {"unsafe extension", changed(29, '/'), damaged, true},
        {"short file", Bytes(made.begin(), made.begin() + 2000), "Please select the file of length >= 1MB.", true},
        {"no file", std::nullopt, "File not exist.", std::nullopt},
        {"a folder", Bytes{}, "Unable to open file PATH", std::nullopt},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = temp / ("c" + std::to_string(index++) + ".~mq");
        if (c.bytes && c.bytes->empty()) temp.MakeFolder(path.substr(temp.Path().size() + 1));
        else if (c.bytes) test::WriteBytes(path, *c.bytes);

        std::string expected = c.verdict;
        if (const auto at = expected.find("PATH"); at != std::string::npos) expected.replace(at, 4, path);
        const ContainerInfo info = InspectContainer(path, platform);
        EXPECT_EQ(info.verdict, expected);
        EXPECT_EQ(DecodeMessage(path), expected);
        EXPECT_EQ(info.header.keyIsPermutation, c.keyIsPermutation);
    }
}

TEST_F(ContainerInfoTest, ReadErrorIsDecodingsMessageToo) {
    const std::string path = temp / "report.~mq";
    test::WriteBytes(path, MadeContainer());
    platform.faults.readErrorAfter = 20;
    platform.faults.errorText = "An error occurred while reading \"" + path + "\": injected";
    const ContainerInfo info = InspectContainer(path, platform);
    EXPECT_EQ(info.verdict, *platform.faults.errorText);
    EXPECT_EQ(DecodeMessage(path), *platform.faults.errorText);
}

// A path long enough that the error text must be cut: both cut it the same
// way, the path shortened before the cause and no character split.
TEST_F(ContainerInfoTest, ReadErrorOnALongPathIsDecodingsMessageToo) {
    const std::string folder = temp.MakeFolder("dossier \xC3\xA9t\xC3\xA9");
    test::WriteBytes(folder + "/report.~mq", MadeContainer());
    std::string path = folder;
    while (path.size() < kFileErrorTextLimit + 100) path += "/.";
    path += "/report.~mq";
    platform.faults.readErrorAfter = 20;
    platform.faults.errorText = "An error occurred while reading \"" + path + "\": injected";
    const std::string verdict = InspectContainer(path, platform).verdict;
    EXPECT_EQ(verdict, FitErrorText(*platform.faults.errorText, kFileErrorTextLimit));
    EXPECT_LE(verdict.size(), kFileErrorTextLimit);
    EXPECT_TRUE(verdict.ends_with("...\": injected")) << verdict;
    EXPECT_EQ(DecodeMessage(path), verdict);
}

TEST_F(ContainerInfoTest, TextBlockOfASoundContainer) {
    const std::string path = temp / "report.~mq";
    test::WriteBytes(path, MadeContainer());
    EXPECT_EQ(InfoText(InspectContainer(path, platform)),
              path +
                  "\n"
                  "  format version:   2\n"
                  "  stored extension: \".pdf\"\n"
                  "  container length: 1049220 bytes\n"
                  "  payload length:   1048676 bytes\n"
                  "  stored lengths:   1048676, 1048676\n"
                  "  key:              a permutation\n"
                  "  key copies:       agree\n"
                  "  verdict:          sound\n");
}

TEST_F(ContainerInfoTest, TextBlockOfARefusedFile) {
    ContainerInfo info;
    info.path = "x.~mq";
    info.containerLength = 3;
    info.header.problem = HeaderProblem::NotAContainer;
    info.verdict = "Inavalid encoded file \"x.~mq\" .\nPlease select a valid encoded file.";
    EXPECT_EQ(InfoText(info),
              "x.~mq\n"
              "  format version:   unknown\n"
              "  stored extension: unknown\n"
              "  container length: 3 bytes\n"
              "  payload length:   unknown\n"
              "  stored lengths:   unknown\n"
              "  key:              unknown\n"
              "  key copies:       unknown\n"
              "  problem:          the magic is wrong\n"
              "  verdict:          Inavalid encoded file \"x.~mq\" .\n"
              "                    Please select a valid encoded file.\n");
}

TEST(ContainerInfoFormat, OtherVersionAndOddExtension) {
    ContainerInfo info;
    info.path = "y";
    info.header.version = 0x03000000u;
    info.header.extension = std::string("a\"\\\x01\x7F\xC2\x9B", 7);
    const std::string text = InfoText(info);
    EXPECT_NE(text.find("  format version:   0x03000000 (not known here: no stored lengths)\n"), std::string::npos);
    EXPECT_NE(text.find("  stored extension: \"a\\\"\\\\\\x01\\x7F\\xC2\\x9B\"\n"), std::string::npos);
    EXPECT_NE(text.find("  stored lengths:   none in this version\n"), std::string::npos);
}

TEST(ContainerInfoFormat, JsonEscapesAndNulls) {
    ContainerInfo sound;
    sound.path = "d\xC3\xA9j\xC3\xA0.~mq";  // valid UTF-8 stays
    sound.containerLength = 1049220;
    sound.header.version = kFormatVersion2;
    sound.header.firstLength = sound.header.secondLength = sound.header.payloadLength = 1048676;
    sound.header.extension = ".pdf";
    sound.header.keyIsPermutation = sound.header.keyCopiesAgree = true;
    ContainerInfo odd;
    odd.path = "bad\xFF\"\n";
    odd.header.problem = HeaderProblem::UnsafeExtension;
    odd.header.extension = std::string("/\x1F\xE9\xC2\x9B", 5);
    odd.verdict = "The encoded file \"bad\" is damaged.";
    EXPECT_EQ(InfoJson({sound, odd}),
              "[\n"
              "  {\"path\": \"d\xC3\xA9j\xC3\xA0.~mq\", \"sound\": true, \"verdict\": \"sound\", \"problem\": null, "
              "\"format_version\": 2, \"format_version_field\": 33554432, \"stored_extension\": \".pdf\", "
              "\"stored_extension_hex\": \"2e706466\", \"container_length\": 1049220, \"payload_length\": 1048676, "
              "\"stored_lengths\": [1048676, 1048676], \"key_is_permutation\": true, \"key_copies_agree\": true},\n"
              "  {\"path\": \"bad\\ufffd\\\"\\n\", \"sound\": false, \"verdict\": \"The encoded file \\\"bad\\\" is "
              "damaged.\", \"problem\": \"the stored extension holds a separator, ':' or a control character\", "
              "\"format_version\": null, \"format_version_field\": null, \"stored_extension\": \"/\\u001f\\ufffd\\u009b\", "
              "\"stored_extension_hex\": \"2f1fe9c29b\", \"container_length\": null, \"payload_length\": null, "
              "\"stored_lengths\": null, \"key_is_permutation\": null, \"key_copies_agree\": null}\n"
              "]\n");
    EXPECT_EQ(InfoJson({}), "[\n]\n");
}

TEST_F(ContainerInfoTest, ExitStatusAndNothingWritten) {
    const std::string sound = temp / "a.~mq";
    const std::string missing = temp / "none.~mq";
    test::WriteBytes(sound, MadeContainer());
    const auto before = test::ListNames(temp.Path());
    platform.createdPaths.clear();  // the encode's
    struct Case {
        std::vector<std::string> sources;
        bool json;
        int status;
        std::size_t blocks;
    };
    const Case cases[] = {
        {{sound}, false, kExitAllDone, 1},
        {{sound, sound}, false, kExitAllDone, 2},
        {{sound, missing, sound}, false, kExitJobFailed, 3},
        {{missing}, true, kExitJobFailed, 1},
    };
    for (const Case& c : cases) {
        CommandLine command;
        command.action = Action::Info;
        command.sources = c.sources;
        command.json = c.json;
        std::ostringstream out;
        EXPECT_EQ(RunInfo(command, platform, out), c.status);
        const std::string text = out.str();
        const std::string blockStart = c.json ? "{\"path\"" : "  verdict:";
        std::size_t blocks = 0;
        for (auto at = text.find(blockStart); at != std::string::npos; at = text.find(blockStart, at + 1)) ++blocks;
        EXPECT_EQ(blocks, c.blocks) << text;
    }
    EXPECT_EQ(test::ListNames(temp.Path()), before);
    EXPECT_TRUE(platform.createdPaths.empty());

    CommandLine command;
    command.action = Action::Info;
    command.sources = {sound};
    std::ostringstream failing;
    failing.setstate(std::ios::badbit);
    EXPECT_EQ(RunInfo(command, platform, failing), kExitJobFailed) << "a report that was not written";
}

}  // namespace
}  // namespace morvane::cli
