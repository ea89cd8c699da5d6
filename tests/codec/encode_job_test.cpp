// The encode job end to end on real files: container layout, names, the
// already-encoded refusal and the time-seeded key.
#include <gtest/gtest.h>

#include <filesystem>

#include "container_format.h"
#include "job_test_fixture.h"
#include "substitution_key.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace morvane::test {
namespace {

using EncodeJob = JobTest;

std::string StoredExtension(const Bytes& container) {
    return std::string(container.begin() + 28, container.begin() + 28 + container[27]);
}

TEST_F(EncodeJob, ContainerHoldsHeaderAndTransformedPayload) {
    const Bytes source = PatternBytes(kMiB + 4096 * 2 + 3);
    WriteBytes(in + "/report.pdf", source);
    platform.faults.currentTime = 1700000000;
    ASSERT_EQ(Encode(in + "/report.pdf"), kJobDone);

    const Bytes container = ReadBytes(out + "/report.~mq");
    ASSERT_EQ(container.size(), source.size() + 544);
    std::int32_t table[kKeySize];
    MakeRandomPermutation(table, static_cast<int>(kKeySize), 1700000000);
    const StoredKey key = StoreKey(table);
    const auto header = BuildHeader(static_cast<std::int64_t>(source.size()), ".pdf", key);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), container.begin()));

    // Blocks line up with the source's; the last one is 3 bytes long.
    const std::uint8_t* payload = container.data() + 544;
    for (std::size_t start = 0; start < source.size(); start += kBlockSize) {
        const std::size_t n = std::min(kBlockSize, source.size() - start);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(payload[start + n - 1 - i], key[source[start + i]]) << start + i;
    }
}

TEST_F(EncodeJob, OutputNameAndStoredExtension) {
    struct Case {
        std::string source;  // relative to in/
        std::string output;
        std::string stored;
    };
    const Case cases[] = {
        {"archive.tar.gz", "archive.tar.~mq", ".gz"},
        {"README", "README.~mq", ".~mz"},
        {".profile", ".~mq", ".profile"},
        {"data.old/notes", "notes.~mq", ".~mz"},
        {"photo.JPEG", "photo.~mq", ".JPEG"},
    };
    temp.MakeFolder("in/data.old");
    for (const Case& c : cases) {
        const std::string target = temp.MakeFolder("out-" + c.output);
        RecordingJobHost jobHost;
        ASSERT_EQ(Run(JobKind::Encode, jobHost, MakeSource(c.source, kMiB), target), kJobDone) << c.source;
        EXPECT_EQ(ListNames(target), std::vector<std::string>{c.output});
        const Bytes container = ReadBytes(target + "/" + c.output);
        EXPECT_EQ(StoredExtension(container), c.stored) << c.source;
        EXPECT_EQ(container.size(), kMiB + 540 + c.stored.size());
    }
}

TEST_F(EncodeJob, SecondSourceOfTheSameBaseNameIsNumbered) {
    ASSERT_EQ(Encode(MakeSource("report.pdf", kMiB)), kJobDone);
    RecordingJobHost second;
    ASSERT_EQ(Run(JobKind::Encode, second, MakeSource("report.doc", kMiB, 2), out), kJobDone);
    EXPECT_EQ(second.OutputPaths(), std::vector<std::string>{OutputIn(out, "report (2).~mq")});
    EXPECT_EQ(StoredExtension(ReadBytes(out + "/report (2).~mq")), ".doc");
}

TEST_F(EncodeJob, ContainerIsRefusedWhileControlsAreDisabled) {
    const std::string container = EncodeToOut(MakeSource("report.pdf", kMiB));
    const Bytes before = ReadBytes(container);
    const std::string target = temp.MakeFolder("again");
    ExpectStoppedWith(Run(JobKind::Encode, host, container, target), "The file \"" + container + "\" is already encoded!");
    EXPECT_EQ(host.ControlsEnabledAtMessages(), std::vector<bool>{false});
    EXPECT_EQ(host.Trace(), "busy 1, enable 0, range 256, step 1, message, busy 0, enable 1");
    EXPECT_TRUE(ListNames(target).empty());
    EXPECT_EQ(ReadBytes(container), before);
}

TEST_F(EncodeJob, ContainerOfAnyVersionIsRefused) {
    Bytes fake = PatternBytes(kMiB);
    const std::uint8_t start[] = {0x7E, 0x6D, 0x71, 0x94, 0x61, 0xD0, 0xE8, 0x00, 0x00, 0x00, 0x09};
    std::copy(std::begin(start), std::end(start), fake.begin());
    WriteBytes(in + "/odd.~mq", fake);
    ExpectStoppedWith(Encode(in + "/odd.~mq"), "The file \"" + in + "/odd.~mq\" is already encoded!");
    EXPECT_TRUE(ListNames(out).empty());
}

TEST_F(EncodeJob, MagicWithAnotherNumberIsEncodedWhole) {
    Bytes source = PatternBytes(kMiB + 5);
    const std::uint8_t start[] = {0x7E, 0x6D, 0x71, 0x94, 0x61, 0xD0, 0xE9};
    std::copy(std::begin(start), std::end(start), source.begin());
    WriteBytes(in + "/tricky.bin", source);
    ASSERT_EQ(Encode(in + "/tricky.bin"), kJobDone);

    const std::string back = temp.MakeFolder("back");
    RecordingJobHost decodeHost;
    ASSERT_EQ(Run(JobKind::Decode, decodeHost, out + "/tricky.~mq", back), kJobDone);
    EXPECT_EQ(ReadBytes(back + "/tricky.bin"), source);
}

TEST_F(EncodeJob, SourceEndingInsideTheProbeIsUnreadable) {
    // Reachable only through the seam: the 1 MiB minimum comes first.
    Bytes magicOnly = PatternBytes(kMiB);
    magicOnly[0] = '~', magicOnly[1] = 'm', magicOnly[2] = 'q';
    WriteBytes(in + "/magic.bin", magicOnly);
    struct Case {
        std::string source;
        std::uint64_t endsAfter;
    };
    const Case cases[] = {
        {MakeSource("plain.bin", kMiB), 0},
        {in + "/plain.bin", 2},
        {in + "/magic.bin", 3},
        {in + "/magic.bin", 6},
    };
    for (const Case& c : cases) {
        platform.faults.sourceEndsAfter = c.endsAfter;
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(JobKind::Encode, jobHost, c.source, out), kJobStopped);
        EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{"Unable to read from file " + c.source})
            << c.source << " ends after " << c.endsAfter;
        EXPECT_TRUE(jobHost.ControlsEnabled());
    }
    EXPECT_TRUE(ListNames(out).empty());
}

#ifndef _WIN32
// Names legal here whose extension the decoder would refuse: no container
// is written that cannot be decoded.
TEST_F(EncodeJob, ExtensionTheDecoderWouldRefuseIsRefusedFirst) {
    const std::string names[] = {"log.10:30", "log.a\\b", "log.a\tb", "log.a\nb", "log.\x7f\x01", "log.a\x7f",
                                 "log.\xC2\x9B" "31m"};
    for (const std::string& name : names) {
        const std::string source = MakeSource(name, kMiB);
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(JobKind::Encode, jobHost, source, out), kJobStopped) << name;
        EXPECT_EQ(jobHost.Messages(),
                  std::vector<std::string>{"The file \"" + source +
                                           "\" cannot be encoded: its extension holds a character an encoded file "
                                           "cannot store (a control character, '/', '\\' or ':')."})
            << name;
        EXPECT_TRUE(jobHost.ControlsEnabled());
    }
    EXPECT_TRUE(ListNames(out).empty());
    EXPECT_TRUE(platform.createdPaths.empty()) << "refused before any output";
}

// A private source gives a private container, and that a private file.
TEST_F(EncodeJob, PermissionsOfTheSourceAreKeptBothWays) {
    const std::string source = MakeSource("secret.txt", kMiB);
    ASSERT_EQ(::chmod(source.c_str(), 0600), 0);
    const std::string container = EncodeToOut(source);
    const std::string back = temp.MakeFolder("back");
    RecordingJobHost decodeHost;
    ASSERT_EQ(Run(JobKind::Decode, decodeHost, container, back), kJobDone);
    for (const std::string& path : {container, back + "/secret.txt"}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << path;
    }
}

// A FIFO as the source is refused at once, like a folder.
TEST_F(EncodeJob, FifoSourceIsRefusedWithoutWaiting) {
    const std::string fifo = in + "/pipe.bin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const JobKind kind : {JobKind::Encode, JobKind::Decode}) {
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(kind, jobHost, fifo, out), kJobStopped);
        EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{"Unable to open file " + fifo});
    }
}

// A FIFO at the first free name is a taken name: the output goes on to the
// next number and the FIFO stays.
TEST_F(EncodeJob, FifoAtTheOutputNameIsATakenName) {
    ASSERT_EQ(::mkfifo((out + "/report.~mq").c_str(), 0600), 0);
    ASSERT_EQ(Encode(MakeSource("report.pdf", kMiB)), kJobDone);
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report (2).~mq")});
    EXPECT_TRUE(std::filesystem::is_fifo(out + "/report.~mq"));
}
#endif

TEST_F(EncodeJob, SameSecondGivesIdenticalContainers) {
    const std::string source = MakeSource("report.pdf", kMiB + 77);
    platform.faults.currentTime = 1234567890;
    ASSERT_EQ(Encode(source), kJobDone);
    ASSERT_EQ(Encode(source), kJobDone);
    platform.faults.currentTime = 1234567891;
    ASSERT_EQ(Encode(source), kJobDone);

    const Bytes first = ReadBytes(out + "/report.~mq");
    EXPECT_EQ(ReadBytes(out + "/report (2).~mq"), first);
    const Bytes later = ReadBytes(out + "/report (3).~mq");
    ASSERT_EQ(later.size(), first.size());
    EXPECT_FALSE(std::equal(first.begin() + 32, first.begin() + 288, later.begin() + 32)) << "key";
}

}  // namespace
}  // namespace morvane::test
