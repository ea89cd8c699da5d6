// The decode job end to end: round trips, both header versions and others,
// names, and every refusal of a container that is not one or is damaged.
#include <gtest/gtest.h>

#include "container_format.h"
#include "job_test_fixture.h"
#include "legacy_text_expectation.h"
#include "test_containers.h"

namespace morvane::test {
namespace {

class DecodeJob : public JobTest {
protected:
    // Encodes in/<base><extension> (kSourceSize bytes) and returns the container's bytes.
    Bytes EncodedReport(const std::string& extension = ".pdf", const std::string& base = "report") {
        m_source = PatternBytes(kSourceSize, 3);
        WriteBytes(in + "/" + base + extension, m_source);
        const std::string container = EncodeToOut(in + "/" + base + extension);
        const Bytes bytes = ReadBytes(container);
        std::filesystem::remove(FsPath(container));
        return bytes;
    }

    // Writes `container` as in/<name>, decodes it into out/ and expects the
    // source back under `outputName`.
    void ExpectDecodesTo(const Bytes& container, const std::string& name, const std::string& outputName) {
        WriteBytes(in + "/" + name, container);
        RecordingJobHost jobHost;
        ASSERT_EQ(Run(JobKind::Decode, jobHost, in + "/" + name, out), kJobDone)
            << ::testing::PrintToString(jobHost.Messages());
        EXPECT_EQ(jobHost.OutputPaths(), std::vector<std::string>{OutputIn(out, outputName)});
        EXPECT_EQ(ReadBytes(out + "/" + outputName), m_source) << outputName;
    }

    Bytes m_source;
};

TEST_F(DecodeJob, RoundTripIsByteForByte) {
    struct Case {
        std::size_t size;
        std::uint32_t payloadBlocks;
    };
    const Case cases[] = {{kMiB, 256}, {kMiB + 4096 * 5, 261}, {kMiB + 4096 * 5 + 1234, 262}, {3 * kMiB + 1, 769}};
    for (const Case& c : cases) {
        const std::string name = "r" + std::to_string(c.size);
        const Bytes source = PatternBytes(c.size, static_cast<std::uint32_t>(c.size));
        WriteBytes(in + "/" + name + ".dat", source);
        const std::string container = EncodeToOut(in + "/" + name + ".dat");
        const auto containerLength = ReadBytes(container).size();
        ASSERT_EQ(containerLength, c.size + 544);

        const std::string back = temp.MakeFolder("back" + name);
        RecordingJobHost jobHost;
        ASSERT_EQ(Run(JobKind::Decode, jobHost, container, back), kJobDone);
        EXPECT_EQ(ReadBytes(back + "/" + name + ".dat"), source) << c.size;
        // The range counts the header too; positions count payload blocks.
        EXPECT_EQ(jobHost.RangeUpper(), containerLength / 4096);
        EXPECT_EQ(jobHost.LastPosition(), c.payloadBlocks);
        EXPECT_EQ(jobHost.Trace(), "busy 1, enable 0, range " + std::to_string(containerLength / 4096) +
                                       ", step 1, pos, output, busy 0, enable 1");
    }
}

TEST_F(DecodeJob, Version1Container) {
    const ContainerParts parts = Dissect(EncodedReport());
    const Bytes v1 = Assemble(kFormatVersion1, LengthFields(kFormatVersion1, parts.payload.size()), parts);
    ASSERT_EQ(v1.size(), m_source.size() + 536);
    ExpectDecodesTo(v1, "report.~mq", "report.pdf");
}

TEST_F(DecodeJob, Version1SecondLengthFieldIsNotChecked) {
    const ContainerParts parts = Dissect(EncodedReport());
    Bytes fields = LengthFields(kFormatVersion1, parts.payload.size());
    fields[4] ^= 0xFF;
    ExpectDecodesTo(Assemble(kFormatVersion1, fields, parts), "report.~mq", "report.pdf");
}

TEST_F(DecodeJob, OtherVersionsCarryNoLengthFields) {
    const ContainerParts parts = Dissect(EncodedReport());
    for (std::uint32_t version : {0x03000000u, 0x00000002u}) {
        const Bytes container = Assemble(version, {}, parts);
        ASSERT_EQ(container[11], 4) << "extension length at offset 11";
        const std::string name = "v" + std::to_string(version) + ".~mq";
        ExpectDecodesTo(container, name, "v" + std::to_string(version) + ".pdf");
    }
}

TEST_F(DecodeJob, EmptyStoredExtensionLeavesTheBaseName) {
    ContainerParts parts = Dissect(EncodedReport());
    parts.extension.clear();
    ExpectDecodesTo(Assemble(kFormatVersion2, LengthFields(kFormatVersion2, parts.payload.size()), parts),
                    "report.~mq", "report");
}

TEST_F(DecodeJob, LongestStoredExtension) {
    const std::string name = "." + std::string(254, 'e');
    const Bytes container = EncodedReport(name, "");
    EXPECT_EQ(container[27], 255);
    EXPECT_EQ(container.size(), m_source.size() + 795);
    ExpectDecodesTo(container, ".~mq", name);
}

// An older program stored the extension in its ANSI code page.
TEST_F(DecodeJob, StoredExtensionThatIsNotUtf8IsReadAsTheSystemReadsOlderPrograms) {
    const std::string expected = LegacyExtensionAsRead(".\xE9t\xE9");
    if (expected.empty()) GTEST_SKIP() << "the ANSI code page here is not Windows-1252";
    ContainerParts parts = Dissect(EncodedReport());
    parts.extension = {'.', 0xE9, 't', 0xE9};
    ExpectDecodesTo(Assemble(kFormatVersion2, LengthFields(kFormatVersion2, parts.payload.size()), parts),
                    "report.~mq", "report" + expected);
}

TEST_F(DecodeJob, StoredExtensionInUtf8NamesTheOutput) {
    ExpectDecodesTo(EncodedReport(".\xD0\xB4\xD0\xBE\xD0\xBA"), "report.~mq", "report.\xD0\xB4\xD0\xBE\xD0\xBA");
}

TEST_F(DecodeJob, SourceWithoutExtensionComesBackWithPlaceholder) {
    ExpectDecodesTo(EncodedReport(""), "report.~mq", "report.~mz");
}

TEST_F(DecodeJob, BaseNameComesFromTheContainersName) {
    const Bytes container = EncodedReport();
    struct Case {
        const char* container;
        const char* output;
    };
    for (const Case& c : {Case{"other.~mq", "other.pdf"}, Case{"a.b.~mq", "a.b.pdf"}, Case{"blob", "blob.pdf"}})
        ExpectDecodesTo(container, c.container, c.output);
}

TEST_F(DecodeJob, TakenNamesAreNumbered) {
    const Bytes container = EncodedReport();
    WriteBytes(out + "/report.pdf", {'1'});
    ExpectDecodesTo(container, "report.~mq", "report (2).pdf");
    ExpectDecodesTo(container, "report.~mq", "report (3).pdf");
    EXPECT_EQ(ReadBytes(out + "/report.pdf"), Bytes{'1'});
}

TEST_F(DecodeJob, DecodingIntoItsOwnFolderNeverReplacesTheContainer) {
    // A source named *.~mq that is no container stores ".~mq" itself.
    const Bytes source = PatternBytes(kMiB, 9);
    WriteBytes(in + "/data.~mq", source);
    const std::string container = EncodeToOut(in + "/data.~mq");
    const Bytes before = ReadBytes(container);
    ASSERT_EQ(Decode(container), kJobDone);
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "data (2).~mq")});
    EXPECT_EQ(ReadBytes(container), before);
    EXPECT_EQ(ReadBytes(out + "/data (2).~mq"), source);
}

TEST_F(DecodeJob, NotAContainer) {
    const Bytes container = EncodedReport();
    struct Case {
        std::size_t offset;
        std::uint8_t value;
    };
    // A wrong magic character, then a wrong magic number.
    const Case cases[] = {{0, '-'}, {2, 'Q'}, {3, 0x95}, {6, 0x00}};
    for (const Case& c : cases) {
        Bytes broken = container;
        broken[c.offset] = c.value;
        const std::string path = in + "/broken" + std::to_string(c.offset) + ".~mq";
        WriteBytes(path, broken);
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(JobKind::Decode, jobHost, path, out), kJobStopped);
        EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{"Inavalid encoded file \"" + path +
                                                               "\" .\nPlease select a valid encoded file."});
        EXPECT_EQ(jobHost.Trace(), "busy 1, enable 0, range 256, step 1, message, busy 0, enable 1");
    }
    EXPECT_TRUE(ListNames(out).empty());
}

TEST_F(DecodeJob, DamagedContainers) {
    const Bytes container = EncodedReport();
    const ContainerParts parts = Dissect(container);
    const auto v2 = [&](ContainerParts changed) {
        return Assemble(kFormatVersion2, LengthFields(kFormatVersion2, changed.payload.size()), changed);
    };
    const auto withExtensionByte = [&](std::uint8_t c) {
        ContainerParts changed = parts;
        changed.extension[2] = c;
        return v2(changed);
    };
    ContainerParts notPermutation = parts;
    notPermutation.key[0] = notPermutation.key[1];
    Bytes firstLength = container, secondLength = container;
    firstLength[11] ^= 1;
    secondLength[19] ^= 1;

    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"truncated", Bytes(container.begin(), container.end() - 1)},
        {"byte appended", [&] { Bytes b = container; b.push_back(0); return b; }()},
        {"first length", firstLength},
        {"second length", secondLength},
        {"version 1 length",
         Assemble(kFormatVersion1, LengthFields(kFormatVersion1, parts.payload.size() + 1), parts)},
        {"key not a permutation", v2(notPermutation)},
        {"key not a permutation, other version", Assemble(0x03000000u, {}, notPermutation)},
        {"extension with /", withExtensionByte('/')},
        {"extension with \\", withExtensionByte('\\')},
        {"extension with :", withExtensionByte(':')},
        {"extension with control byte", withExtensionByte(0x1F)},
        {"extension with zero byte", withExtensionByte(0x00)},
    };
    for (const Case& c : cases) {
        const std::string path = in + "/damaged.~mq";
        WriteBytes(path, c.bytes);
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(JobKind::Decode, jobHost, path, out), kJobStopped) << c.what;
        EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{"The encoded file \"" + path + "\" is damaged."})
            << c.what;
        EXPECT_TRUE(jobHost.ControlsEnabled());
        EXPECT_TRUE(ListNames(out).empty()) << c.what;
    }
}

TEST_F(DecodeJob, HeaderCutShortThroughTheSeam) {
    // Reads that end early without an error are reachable only through the
    // seam: every real container passes the 1 MiB minimum first.
    const std::string path = in + "/report.~mq";
    WriteBytes(path, EncodedReport());
    const std::string quoted = "\"" + path + "\"";
    struct Case {
        std::uint64_t endsAfter;
        std::string message;
    };
    const Case cases[] = {
        {0, "Unable to read from file " + quoted},
        {2, "Unable to read from file " + quoted},
        {5, "Unable to read from file " + quoted},
        {9, "The encoded file " + quoted + " is damaged."},
        {20, "The encoded file " + quoted + " is damaged."},
        {30, "The encoded file " + quoted + " is damaged."},
        {543, "The encoded file " + quoted + " is damaged."},
    };
    for (const Case& c : cases) {
        platform.faults.sourceEndsAfter = c.endsAfter;
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(JobKind::Decode, jobHost, path, out), kJobStopped);
        EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{c.message}) << "ends after " << c.endsAfter;
    }
    EXPECT_TRUE(ListNames(out).empty());
}

}  // namespace
}  // namespace morvane::test
