// The shared buffer over a raw handle, on an in-memory raw layer whose
// failures a test switches on.
#include "buffered_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace morvane {
namespace {

class MemoryFile final : public BufferedFile {
public:
    explicit MemoryFile(std::vector<std::uint8_t> content = {}, bool output = false)
        : BufferedFile("mem/file.bin", output), content(std::move(content)) {}
    ~MemoryFile() override { CloseQuietly(); }

    std::vector<std::uint8_t> content;
    std::size_t readPosition = 0;
    int rawReads = 0;
    int rawWrites = 0;
    int rawCloses = 0;
    bool failRead = false;
    int failReadsFrom = -1;  // raw reads from this one on fail (0 = the first)
    bool failWrite = false;
    bool failClose = false;
    // As an output: what the raw layer held when it was named, and removals.
    std::string publishedAs;
    std::size_t sizeAtPublish = 0;
    int rawRemoves = 0;

private:
    PublishStatus RawPublish(const std::string& path) override {
        publishedAs = path;
        sizeAtPublish = content.size();
        return PublishStatus::Published;
    }
    std::string RawRemove() override {
        ++rawRemoves;
        return {};
    }
    bool RawRead(void* buffer, std::size_t size, std::size_t& count) override {
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
    bool RawWrite(const void* data, std::size_t size) override {
        ++rawWrites;
        if (failWrite) return false;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        content.insert(content.end(), bytes, bytes + size);
        return true;
    }
    bool RawSeekStart() override {
        readPosition = 0;
        return true;
    }
    bool RawClose() override {
        ++rawCloses;
        return !failClose;
    }
    std::int64_t RawLength() override { return static_cast<std::int64_t>(content.size()); }
    std::string RawErrorText() override { return "No space left on device"; }
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
        output.Write(data.data() + done, std::min<std::size_t>(4096, size - done));
    output.Close();
    EXPECT_EQ(output.content, data);
    EXPECT_EQ(output.rawWrites, 3);

    MemoryFile source(data);
    std::vector<std::uint8_t> back(size + 10);
    std::size_t got = 0;
    for (std::size_t n = 4096; n == 4096; got += n) n = source.Read(back.data() + got, 4096);
    back.resize(got);
    EXPECT_EQ(back, data);
    EXPECT_EQ(source.rawReads, 4) << "three buffers and the empty read at the end";
}

TEST(BufferedFile, OutputIsNamedOnlyOnceEverythingIsWritten) {
    const auto data = Numbered(BufferedFile::kBufferSize + 100);
    MemoryFile output({}, true);
    output.Write(data.data(), data.size());
    EXPECT_EQ(output.Publish("mem/final.bin"), PublishStatus::Published);
    EXPECT_EQ(output.publishedAs, "mem/final.bin");
    EXPECT_EQ(output.sizeAtPublish, data.size());
    EXPECT_EQ(output.rawCloses, 1) << "closed once published";
    EXPECT_EQ(output.rawRemoves, 0);
}

TEST(BufferedFile, UnpublishedOutputIsRemovedHoweverItEnds) {
    struct Case {
        const char* how;
        void (*end)(MemoryFile&);
    };
    const Case cases[] = {
        {"closed", [](MemoryFile& f) { f.Close(); }},
        {"discarded", [](MemoryFile& f) { EXPECT_EQ(f.Discard(), ""); }},
    };
    for (const Case& c : cases) {
        MemoryFile output({}, true);
        output.Write("abc", 3);
        c.end(output);
        EXPECT_EQ(output.rawCloses, 1) << c.how;
        EXPECT_EQ(output.rawRemoves, 1) << c.how;
        EXPECT_EQ(output.publishedAs, "") << c.how;
    }
}

TEST(BufferedFile, FailedFlushAtCloseStillClosesTheHandle) {
    MemoryFile output;
    output.Write("abc", 3);
    output.failWrite = true;
    try {
        output.Close();
        FAIL() << "the failed flush went unreported";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "An error occurred while writing \"mem/file.bin\": No space left on device");
    }
    EXPECT_EQ(output.rawCloses, 1);
    EXPECT_NO_THROW(output.Close());
    EXPECT_EQ(output.rawCloses, 1);
}

TEST(BufferedFile, RawFailuresRaiseWithPathAndCause) {
    MemoryFile source(Numbered(100));
    source.failRead = true;
    std::uint8_t buffer[10];
    EXPECT_THROW(source.Read(buffer, sizeof buffer), FileError);

    // A full buffer is written in the background: its failure is raised by
    // the next write once the writer has finished, and by Close at the latest.
    MemoryFile full;
    full.failWrite = true;
    const auto big = Numbered(BufferedFile::kBufferSize + 1);
    full.Write(big.data(), big.size());
    EXPECT_THROW(full.Write(big.data(), big.size()), FileError);
    EXPECT_THROW(full.Close(), FileError);

    MemoryFile fullAtClose;
    fullAtClose.failWrite = true;
    fullAtClose.Write(big.data(), big.size());
    EXPECT_THROW(fullAtClose.Close(), FileError);
    EXPECT_EQ(fullAtClose.rawCloses, 1);

    MemoryFile closing;
    closing.failClose = true;
    try {
        closing.Close();
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
    source.failReadsFrom = 1;
    std::vector<std::uint8_t> block(4096);
    std::size_t got = 0;
    for (; got + block.size() <= BufferedFile::kBufferSize; got += block.size())
        ASSERT_EQ(source.Read(block.data(), block.size()), block.size()) << got;
    EXPECT_THROW(source.Read(block.data(), block.size()), FileError);

    source.failReadsFrom = -1;
    source.Rewind();
    std::vector<std::uint8_t> back(data.size() + 1);
    EXPECT_EQ(source.Read(back.data(), back.size()), data.size());
    back.resize(data.size());
    EXPECT_EQ(back, data);
}

}  // namespace
}  // namespace morvane
