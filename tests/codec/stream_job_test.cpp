// Jobs of the command-line tool: the standard input as a source, the
// standard output or an exact name as the output, and removing the source.
// The streams live in memory; every file is real.
#include <cstring>

#include "job_test_fixture.h"

namespace morvane::test {
namespace {

class StreamPlatform;

// The standard input: bytes from memory, of unknown length.
class MemoryInput final : public File {
public:
    explicit MemoryInput(const Bytes& bytes) : m_bytes(bytes) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, m_bytes.size() - m_at);
        if (count > 0) std::memcpy(buffer, m_bytes.data() + m_at, count);
        m_at += count;
        return count;
    }
    void Write(const void*, std::size_t) override { throw FileError("read-only"); }
    void Rewind() override { m_at = 0; }
    void Close() override {}
    std::int64_t Length() override { return -1; }

private:
    const Bytes& m_bytes;
    std::size_t m_at = 0;
};

// The standard output: what reaches it stays, as on a pipe; a reader that
// goes away after `failAfter` bytes fails the writes from there on.
class MemoryOutputStream final : public OutputFile {
public:
    MemoryOutputStream(Bytes& bytes, std::optional<std::size_t> failAfter) : m_bytes(bytes), m_failAfter(failAfter) {}
    std::size_t Read(void*, std::size_t) override { throw FileError("write-only"); }
    void Write(const void* data, std::size_t size) override {
        if (m_failAfter && m_bytes.size() + size > *m_failAfter) {
            m_failed = true;
            throw FileError("An error occurred while writing \"standard output\": Broken pipe");
        }
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }
    void Rewind() override {}
    void Close() override {}
    std::int64_t Length() override { return -1; }
    PublishStatus Publish(const std::string&) override { return PublishStatus::Published; }
    DiscardResult Discard() noexcept override { return {}; }
    bool WriteFailed() const override { return m_failed; }
    bool Revocable() const override { return false; }

private:
    Bytes& m_bytes;
    std::optional<std::size_t> m_failAfter;
    bool m_failed = false;
};

class StreamPlatform final : public PlatformWrapper {
public:
    using PlatformWrapper::PlatformWrapper;

    Bytes input;
    Bytes output;
    std::optional<std::size_t> outputFailsAfter;
    std::optional<NameRemoval> removal;  // forced result of RemoveSource
    bool folderSyncFails = false;

    std::unique_ptr<File> OpenStandardInput(std::function<bool()>) override {
        return std::make_unique<MemoryInput>(input);
    }
    std::unique_ptr<OutputFile> OpenStandardOutput() override {
        return std::make_unique<MemoryOutputStream>(output, outputFailsAfter);
    }
    bool SyncFolderOf(const std::string& path) override { return !folderSyncFails && Target().SyncFolderOf(path); }
    NameRemoval RemoveSource(const std::string& path, const FileStamp& stamp) override {
        return removal ? *removal : Target().RemoveSource(path, stamp);
    }
};

class StreamJobTest : public JobTest {
protected:
    std::uint32_t RunOrder(const JobOrder& job) { return RunJob(job, host, streams); }

    JobOrder FromInput(JobKind kind, JobOutput output, const std::string& outputPath = {}) {
        JobOrder job;
        job.kind = kind;
        job.sourceIsStream = true;
        job.output = output;
        job.outputPath = outputPath;
        return job;
    }

    // A container of `original`, made by encoding a file.
    Bytes ContainerOf(const Bytes& original) {
        const std::string source = in + "/original.dat";
        WriteBytes(source, original);
        const std::string container = EncodeToOut(source);
        return ReadBytes(container);
    }

    StreamPlatform streams{platform};
    const Bytes original = PatternBytes(3 * kMiB + 5);
};

// Round trips through the streams: a stream into a file gets its lengths
// in the header at the end; a stream onto a stream is spooled first.
TEST_F(StreamJobTest, RoundTripsThroughTheStreams) {
    streams.input = original;
    JobOrder job = FromInput(JobKind::Encode, JobOutput::ExactFile, out + "/named.~mq");
    job.streamExtension = ".tar";
    ASSERT_EQ(RunOrder(job), kJobDone) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{out + "/named.~mq"});

    // The file decodes as any container: its stored lengths are right.
    streams.input = ReadBytes(out + "/named.~mq");
    ASSERT_EQ(RunOrder(FromInput(JobKind::Decode, JobOutput::StandardOutput)), kJobDone);
    EXPECT_EQ(streams.output, original);

    streams.input = original;
    streams.output.clear();
    ASSERT_EQ(RunOrder(FromInput(JobKind::Encode, JobOutput::StandardOutput)), kJobDone);
    streams.input = streams.output;
    streams.output.clear();
    JobOrder decode = FromInput(JobKind::Decode, JobOutput::ExactFile, out + "/back");
    ASSERT_EQ(RunOrder(decode), kJobDone) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(ReadBytes(out + "/back"), original);
    EXPECT_TRUE(host.Messages().empty());
}

struct RefusedStream {
    const char* name;
    JobKind kind;
    JobOutput output;
    // The input from the original and its container.
    Bytes (*input)(const Bytes& original, const Bytes& container);
    std::string message;
};

const std::string kShort = "Please select the file of length >= 1MB.";
const std::string kDamaged = "The encoded file \"standard input\" is damaged.";
const std::string kNotTakenBack = "\nWhat was already written to standard output cannot be taken back.";

Bytes Short(const Bytes& original, const Bytes&) {
    return Bytes(original.begin(), original.begin() + 1000);
}
Bytes Empty(const Bytes&, const Bytes&) {
    return {};
}
Bytes Cut(const Bytes&, const Bytes& container) {
    return Bytes(container.begin(), container.end() - 1);
}
Bytes Longer(const Bytes&, const Bytes& container) {
    Bytes longer = container;
    longer.push_back(0);
    return longer;
}

const RefusedStream kRefusedStreams[] = {
    {"ShortIntoFile", JobKind::Encode, JobOutput::ExactFile, Short, kShort},
    {"EmptyIntoFile", JobKind::Encode, JobOutput::ExactFile, Empty, kShort},
    {"ShortOntoStream", JobKind::Encode, JobOutput::StandardOutput, Short, kShort},
    {"CutIntoFile", JobKind::Decode, JobOutput::ExactFile, Cut, kDamaged},
    {"LongerIntoFile", JobKind::Decode, JobOutput::ExactFile, Longer, kDamaged},
    {"CutOntoStream", JobKind::Decode, JobOutput::StandardOutput, Cut, kDamaged + kNotTakenBack},
    {"LongerOntoStream", JobKind::Decode, JobOutput::StandardOutput, Longer, kDamaged + kNotTakenBack},
    {"EmptyContainer", JobKind::Decode, JobOutput::StandardOutput, Empty, kShort},
};

class RefusedStreamTest : public StreamJobTest, public ::testing::WithParamInterface<RefusedStream> {};

// A refused stream leaves no file; on the standard output the message says
// what could not be taken back.
TEST_P(RefusedStreamTest, LeavesNoFileAndSaysWhy) {
    const RefusedStream& c = GetParam();
    const Bytes container = ContainerOf(original);
    const auto before = ListNames(out);
    streams.input = c.input(original, container);
    EXPECT_EQ(RunOrder(FromInput(c.kind, c.output, out + "/result")), kJobStopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{c.message});
    EXPECT_EQ(ListNames(out), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedStreamTest, ::testing::ValuesIn(kRefusedStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StreamJobTest, ExactNameIsNeverReplaced) {
    const std::string taken = out + "/taken";
    WriteBytes(taken, {1, 2, 3});
    JobOrder job;
    job.sourcePath = MakeSource("a.bin", kMiB);
    job.output = JobOutput::ExactFile;
    job.outputPath = taken;
    EXPECT_EQ(RunOrder(job), kJobStopped);
    EXPECT_EQ(host.Messages(),
              std::vector<std::string>{"The file \"" + taken + "\" already exists: it is never replaced."});
    EXPECT_EQ(ReadBytes(taken), (Bytes{1, 2, 3}));
}

// A reader that went away: the job fails so that no other job writes there.
TEST_F(StreamJobTest, FailedStandardOutputEndsTheJobAsSuch) {
    JobOrder job;
    job.sourcePath = MakeSource("a.bin", 2 * kMiB);
    job.output = JobOutput::StandardOutput;
    streams.outputFailsAfter = kMiB;
    EXPECT_EQ(RunOrder(job), kJobOutputStreamFailed);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find("Broken pipe" + kNotTakenBack), std::string::npos) << host.Messages()[0];
}

struct Removal {
    const char* name;
    std::optional<NameRemoval> forced;
    bool folderSyncFails;
    std::uint32_t cancelAt;  // a stop at this block; 0: none
    std::uint32_t result;
    bool sourceStays;
    bool outputMade;
    std::string message;  // after the source's quoted path; empty: none
};

const Removal kRemovals[] = {
    {"Removed", std::nullopt, false, 0, kJobDone, false, true, ""},
    {"RemovalFails", NameRemoval::Failed, false, 0, kJobSourceKept, true, true, " could not be removed."},
    {"SourceChanged", NameRemoval::TakenByAnother, false, 0, kJobSourceKept, true, true,
     " was not removed: it changed after it was read."},
    {"FolderNotOnDisk", std::nullopt, true, 0, kJobSourceKept, true, true, ""},
    {"Stopped", std::nullopt, false, 5, kJobStopped, true, false, ""},
};

class RemovalTest : public StreamJobTest, public ::testing::WithParamInterface<Removal> {};

// The source goes only once its output is complete and on the disk, and
// only while it is the file that was read.
TEST_P(RemovalTest, RemovesTheSourceOnlyOnceItsOutputIsSafe) {
    const Removal& c = GetParam();
    streams.removal = c.forced;
    streams.folderSyncFails = c.folderSyncFails;
    if (c.cancelAt > 0) host.CancelAtPosition(c.cancelAt);
    JobOrder job;
    job.sourcePath = MakeSource("a.bin", kMiB + 7);
    job.outputPath = out;
    job.removeSource = true;
    EXPECT_EQ(RunOrder(job), c.result);
    EXPECT_EQ(ListNames(in).size(), c.sourceStays ? 1u : 0u);
    EXPECT_EQ(ListNames(out), c.outputMade ? std::vector<std::string>{"a.~mq"} : std::vector<std::string>{});
    const std::size_t messages = c.message.empty() && !c.folderSyncFails ? 0 : 1;
    ASSERT_EQ(host.Messages().size(), messages) << ::testing::PrintToString(host.Messages());
    if (!c.message.empty()) {
        EXPECT_EQ(host.Messages()[0], "The file \"" + job.sourcePath + "\"" + c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RemovalTest, ::testing::ValuesIn(kRemovals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane::test
