// The shared buffer over a raw handle, on an in-memory raw layer whose
// failures a test switches on.
#include "buffered_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace morvane {
namespace {

// The raw layer's record, and the failures a test switches on.
class MemoryRaw final : public RawFile {
public:
    explicit MemoryRaw(std::vector<std::uint8_t> initial) : content(std::move(initial)) {}

    std::vector<std::uint8_t> content;
    std::size_t readPosition = 0;
    int rawReads = 0;
    int rawWrites = 0;
    std::vector<std::size_t> writeSizes;
    int rawCloses = 0;
    bool failRead = false;
    int failReadsFrom = -1;  // raw reads from this one on fail (0 = the first)
    bool failWrite = false;
    bool failClose = false;
    // As an output: what the raw layer held when it was named, and removals.
    std::string publishedAs;
    std::size_t sizeAtPublish = 0;
    int rawRemoves = 0;
    // As a named temporary, renamed by its name once closed.
    bool namesWithoutHandle = false;
    bool closedAtPublish = false;
    // Where writes, the close and removals are logged in their order, when
    // the log has to outlive the file.
    std::vector<std::string>* log = nullptr;

    PublishStatus Publish(const std::string& path) override {
        publishedAs = path;
        sizeAtPublish = content.size();
        closedAtPublish = rawCloses > 0;
        if (log != nullptr) log->push_back("publish");
        return PublishStatus::Published;
    }
    DiscardResult Remove() override {
        ++rawRemoves;
        if (log != nullptr) log->push_back("remove");
        return {};
    }
    bool NamesWithoutHandle() const override { return namesWithoutHandle; }
    bool Read(void* buffer, std::size_t size, std::size_t& count) override {
        if (failRead || (failReadsFrom >= 0 && rawReads >= failReadsFrom)) {
            ++rawReads;
            return false;
        }
        ++rawReads;
        count = std::min(size, content.size() - readPosition);
        std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(readPosition), count,
                    static_cast<std::uint8_t*>(buffer));
        readPosition += count;
        return true;
    }
    bool Write(const void* data, std::size_t size) override {
        ++rawWrites;
        writeSizes.push_back(size);
        if (log != nullptr) log->push_back("write");
        if (failWrite) return false;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        content.insert(content.end(), bytes, bytes + size);
        return true;
    }
    bool SeekStart() override {
        readPosition = 0;
        return true;
    }
    bool Close() override {
        ++rawCloses;
        if (log != nullptr) log->push_back("close");
        return !failClose;
    }
    std::int64_t Length() override { return static_cast<std::int64_t>(content.size()); }
    std::string ErrorText() override { return "No space left on device"; }
};

// A BufferedFile on a MemoryRaw, whose record stays readable while the file
// lives.
struct MemoryFile {
    explicit MemoryFile(std::vector<std::uint8_t> content = {}, bool output = false)
        : MemoryFile(output, std::make_unique<MemoryRaw>(std::move(content))) {}

    MemoryRaw& raw;
    BufferedFile file;

private:
    MemoryFile(bool output, std::unique_ptr<MemoryRaw> owned)
        : raw(*owned), file("mem/file.bin", output, std::move(owned)) {}
};

std::vector<std::uint8_t> Numbered(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    return bytes;
}

TEST(BufferedFile, SmallBlocksCostFewRawCalls) {
    const std::size_t size = 2 * BufferedFile::kBufferSize + 100;
    const auto data = Numbered(size);
    MemoryFile output;
    for (std::size_t done = 0; done < size; done += 4096)
        output.file.Write(data.data() + done, std::min<std::size_t>(4096, size - done));
    output.file.Close();
    EXPECT_EQ(output.raw.content, data);
    EXPECT_EQ(output.raw.rawWrites, 3);

    MemoryFile source(data);
    std::vector<std::uint8_t> back(size + 10);
    std::size_t got = 0;
    for (std::size_t n = 4096; n == 4096; got += n) n = source.file.Read(back.data() + got, 4096);
    back.resize(got);
    EXPECT_EQ(back, data);
    EXPECT_EQ(source.raw.rawReads, 4) << "three buffers and the empty read at the end";
}

TEST(BufferedFile, OutputIsNamedOnlyOnceEverythingIsWritten) {
    const auto data = Numbered(BufferedFile::kBufferSize + 100);
    MemoryFile output({}, true);
    output.file.Write(data.data(), data.size());
    EXPECT_EQ(output.file.Publish("mem/final.bin"), PublishStatus::Published);
    EXPECT_EQ(output.raw.publishedAs, "mem/final.bin");
    EXPECT_EQ(output.raw.sizeAtPublish, data.size());
    EXPECT_EQ(output.raw.rawCloses, 1) << "closed once published";
    EXPECT_EQ(output.raw.rawRemoves, 0);
}

// Where the name is given without the handle (a named temporary), the handle
// is closed first: a failure to close (a delayed write error) fails the
// output before anything has its name.
TEST(BufferedFile, OutputNamedWithoutItsHandleIsClosedFirst) {
    MemoryFile output({}, true);
    output.raw.namesWithoutHandle = true;
    output.file.Write("abc", 3);
    EXPECT_EQ(output.file.Publish("mem/final.bin"), PublishStatus::Published);
    EXPECT_TRUE(output.raw.closedAtPublish);
    EXPECT_EQ(output.raw.sizeAtPublish, 3u);
    EXPECT_EQ(output.raw.rawCloses, 1);

    std::vector<std::string> log;
    MemoryFile failing({}, true);
    failing.raw.namesWithoutHandle = true;
    failing.raw.failClose = true;
    failing.raw.log = &log;
    failing.file.Write("abc", 3);
    EXPECT_THROW(failing.file.Publish("mem/final.bin"), FileError);
    EXPECT_EQ(failing.raw.publishedAs, "") << "nothing named";
    EXPECT_EQ(failing.file.Publish("mem/final.bin"), PublishStatus::Failed) << "a failed output stays failed";
    EXPECT_TRUE(failing.file.Discard().Clean());
    EXPECT_EQ(log, (std::vector<std::string>{"write", "close", "remove"}));
}

// Named through its open handle (an unnamed file), the output is closed
// after it has its name: a failure to close is raised once the name is
// given, and the output's removal is left to Discard.
TEST(BufferedFile, CloseFailingAfterTheNameIsRaisedAndLeftToDiscard) {
    std::vector<std::string> log;
    MemoryFile output({}, true);
    output.raw.log = &log;
    output.raw.failClose = true;
    output.file.Write("abc", 3);
    try {
        output.file.Publish("mem/final.bin");
        FAIL() << "the failed close went unreported";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "An error occurred while closing \"mem/final.bin\": No space left on device");
    }
    EXPECT_EQ(output.raw.publishedAs, "mem/final.bin");
    EXPECT_FALSE(output.raw.closedAtPublish);
    EXPECT_EQ(log, (std::vector<std::string>{"write", "publish", "close"})) << "all data out before the name";
    EXPECT_TRUE(output.file.Discard().Clean());
    EXPECT_EQ(output.raw.rawRemoves, 1);
}

TEST(BufferedFile, UnpublishedOutputIsRemovedHoweverItEnds) {
    struct Case {
        const char* how;
        void (*end)(MemoryFile&);
    };
    const Case cases[] = {
        {"closed", [](MemoryFile& f) { f.file.Close(); }},
        {"discarded", [](MemoryFile& f) { EXPECT_TRUE(f.file.Discard().Clean()); }},
    };
    for (const Case& c : cases) {
        MemoryFile output({}, true);
        output.file.Write("abc", 3);
        c.end(output);
        EXPECT_EQ(output.raw.rawCloses, 1) << c.how;
        EXPECT_EQ(output.raw.rawRemoves, 1) << c.how;
        EXPECT_EQ(output.raw.publishedAs, "") << c.how;
    }
}

// A file given up mid-write ends itself: the handle closes, then the output,
// never published, is removed.
TEST(BufferedFile, DroppedOutputClosesThenIsRemoved) {
    std::vector<std::string> log;
    {
        MemoryFile output({}, true);
        output.raw.log = &log;
        const auto data = Numbered(BufferedFile::kBufferSize + 10);
        output.file.Write(data.data(), data.size());  // the first MiB goes out
    }
    EXPECT_EQ(log, (std::vector<std::string>{"write", "close", "remove"}));
}

TEST(BufferedFile, FailedFlushAtCloseStillClosesTheHandle) {
    MemoryFile output;
    output.file.Write("abc", 3);
    output.raw.failWrite = true;
    try {
        output.file.Close();
        FAIL() << "the failed flush went unreported";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "An error occurred while writing \"mem/file.bin\": No space left on device");
    }
    EXPECT_EQ(output.raw.rawCloses, 1);
    EXPECT_NO_THROW(output.file.Close());
    EXPECT_EQ(output.raw.rawCloses, 1);
}

TEST(BufferedFile, RawFailuresRaiseWithPathAndCause) {
    MemoryFile source(Numbered(100));
    source.raw.failRead = true;
    std::uint8_t buffer[10];
    EXPECT_THROW(source.file.Read(buffer, sizeof buffer), FileError);

    // A full buffer is written by the write that needs room after it; what
    // fits is written by Close.
    const auto big = Numbered(BufferedFile::kBufferSize + 1);
    MemoryFile overflowing;
    overflowing.raw.failWrite = true;
    EXPECT_THROW(overflowing.file.Write(big.data(), big.size()), FileError);
    EXPECT_THROW(overflowing.file.Close(), FileError);
    EXPECT_EQ(overflowing.raw.rawCloses, 1);

    MemoryFile fitting;
    fitting.raw.failWrite = true;
    fitting.file.Write(big.data(), BufferedFile::kBufferSize);
    EXPECT_THROW(fitting.file.Close(), FileError);
    EXPECT_EQ(fitting.raw.rawCloses, 1);

    MemoryFile closing;
    closing.raw.failClose = true;
    try {
        closing.file.Close();
        FAIL() << "the failed close went unreported";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "An error occurred while closing \"mem/file.bin\": No space left on device");
    }
}

// The next buffer is read ahead in the background: its failure belongs to
// the read that needs its data, not to the one that started it, and a rewind
// forgets it.
TEST(BufferedFile, FailedReadAheadIsRaisedByTheReadThatNeedsIt) {
    const auto data = Numbered(BufferedFile::kBufferSize + 5000);
    MemoryFile source(data);
    source.raw.failReadsFrom = 1;
    std::vector<std::uint8_t> block(4096);
    std::size_t got = 0;
    for (; got + block.size() <= BufferedFile::kBufferSize; got += block.size())
        ASSERT_EQ(source.file.Read(block.data(), block.size()), block.size()) << got;
    EXPECT_THROW(source.file.Read(block.data(), block.size()), FileError);

    source.raw.failReadsFrom = -1;
    source.file.Rewind();
    std::vector<std::uint8_t> back(data.size() + 1);
    EXPECT_EQ(source.file.Read(back.data(), back.size()), data.size());
    back.resize(data.size());
    EXPECT_EQ(back, data);
}

// Spans: a header read or written through Read/Write first, then 4096-byte
// spans, so block boundaries fall anywhere against the 1 MiB buffers.
struct SpanCase {
    const char* name;
    std::size_t lead;    // bytes before the blocks
    std::size_t length;  // whole file
};

class BufferedFileSpans : public ::testing::TestWithParam<SpanCase> {};

TEST_P(BufferedFileSpans, ReadSpansAreWholeBlocksAcrossBuffers) {
    const SpanCase& param = GetParam();
    const auto data = Numbered(param.length);
    MemoryFile source(data);
    std::vector<std::uint8_t> back(param.lead);
    ASSERT_EQ(source.file.Read(back.data(), param.lead), param.lead);
    for (;;) {
        const auto span = source.file.ReadSpan(4096);
        back.insert(back.end(), span.begin(), span.end());
        if (span.size() < 4096) {
            EXPECT_EQ(back.size(), param.length) << "a short span before the end";
            break;
        }
    }
    EXPECT_EQ(back, data);
    EXPECT_TRUE(source.file.ReadSpan(4096).empty());
    const std::size_t buffers = (param.length + BufferedFile::kBufferSize - 1) / BufferedFile::kBufferSize;
    EXPECT_EQ(source.raw.rawReads, static_cast<int>(buffers) + 1) << "each MiB read once, then the empty read";
}

TEST_P(BufferedFileSpans, WriteSpansGoOutInWholeMiBs) {
    const SpanCase& param = GetParam();
    const auto data = Numbered(param.length);
    MemoryFile output;
    output.file.Write(data.data(), param.lead);
    for (std::size_t done = param.lead; done < param.length;) {
        const std::size_t count = std::min<std::size_t>(4096, param.length - done);
        const auto room = output.file.WriteSpan(count);
        ASSERT_EQ(room.size(), count);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(done), count, room.begin());
        output.file.CommitWrite(count);
        done += count;
    }
    output.file.Close();
    EXPECT_EQ(output.raw.content, data);
    ASSERT_FALSE(output.raw.writeSizes.empty());
    for (std::size_t i = 0; i + 1 < output.raw.writeSizes.size(); ++i)
        EXPECT_EQ(output.raw.writeSizes[i], BufferedFile::kBufferSize) << "write " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, BufferedFileSpans,
    ::testing::Values(SpanCase{"AlignedBlocks", 0, 2 * BufferedFile::kBufferSize},
                      SpanCase{"AlignedWithShortLastBlock", 0, 2 * BufferedFile::kBufferSize + 100},
                      SpanCase{"HeaderShiftsBlocks", 545, 3 * BufferedFile::kBufferSize + 3000},
                      SpanCase{"BlockEndsOneBytePastABuffer", 4095, BufferedFile::kBufferSize + 4096},
                      SpanCase{"SingleShortBlock", 10, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BufferedFile, SpansMixWithReadAndWrite) {
    const auto data = Numbered(BufferedFile::kBufferSize + 9000);
    MemoryFile output;
    output.file.Write(data.data(), BufferedFile::kBufferSize - 1);
    auto room = output.file.WriteSpan(4096);
    std::copy_n(data.begin() + BufferedFile::kBufferSize - 1, 4096, room.begin());
    output.file.CommitWrite(100);  // only what is committed counts
    output.file.Write(data.data() + BufferedFile::kBufferSize + 99, data.size() - BufferedFile::kBufferSize - 99);
    output.file.Close();
    EXPECT_EQ(output.raw.content, data);

    MemoryFile source(data);
    std::vector<std::uint8_t> back(BufferedFile::kBufferSize - 10);
    source.file.Read(back.data(), back.size());
    const auto span = source.file.ReadSpan(4096);
    back.insert(back.end(), span.begin(), span.end());
    std::vector<std::uint8_t> rest(data.size());
    rest.resize(source.file.Read(rest.data(), rest.size()));
    back.insert(back.end(), rest.begin(), rest.end());
    EXPECT_EQ(back, data);
}

// The span that reaches into the failed read ahead raises its error; the
// spans before it do not.
TEST(BufferedFile, FailedReadAheadIsRaisedByTheSpanThatNeedsIt) {
    MemoryFile source(Numbered(2 * BufferedFile::kBufferSize));
    source.raw.failReadsFrom = 1;
    std::vector<std::uint8_t> lead(545);
    source.file.Read(lead.data(), lead.size());
    std::size_t position = lead.size();
    for (; position + 4096 <= BufferedFile::kBufferSize; position += 4096)
        ASSERT_EQ(source.file.ReadSpan(4096).size(), 4096u) << position;
    EXPECT_THROW(source.file.ReadSpan(4096), FileError);
}

TEST(BufferedFile, FailedWriteIsRaisedByTheSpanThatNeedsRoomThenByClose) {
    MemoryFile output;
    output.raw.failWrite = true;
    for (std::size_t done = 0; done < BufferedFile::kBufferSize; done += 4096) {
        output.file.WriteSpan(4096);
        output.file.CommitWrite(4096);
    }
    EXPECT_EQ(output.raw.rawWrites, 0) << "nothing goes out before the MiB is full";
    EXPECT_THROW(output.file.WriteSpan(4096), FileError);
    EXPECT_THROW(output.file.Close(), FileError);
    EXPECT_EQ(output.raw.rawCloses, 1);
}

}  // namespace
}  // namespace morvane
