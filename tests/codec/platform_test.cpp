// The real platform of this build, on a scratch folder of its own: what the
// job frame relies on from the file system, checked on Linux and under Wine.
#include "buffered_file.h"
#include "platform.h"
#ifndef _WIN32
#include "platform_posix.h"
#endif

#include <gtest/gtest.h>

#include "test_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace morvane {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kStep = 4096;

class PlatformTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_temp / name; }

    void PutFile(const std::string& name, const std::string& content) const {
        std::ofstream out(m_folder / name, std::ios::binary);
        out << content;
        ASSERT_TRUE(out.good());
    }

    std::string Content(const std::string& name) const {
        std::ifstream in(m_folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Bytes that differ from block to block, so a block read twice or
    // skipped shows.
    static std::vector<std::uint8_t> Pattern(std::size_t size) { return test::PatternBytes(size); }

    // Writes `data` through CreateOutput in uneven pieces, one larger than
    // the buffer, and publishes it under `path`.
    void WriteThroughPlatform(const std::string& path, const std::vector<std::uint8_t>& data) {
        CreateResult created = m_platform.CreateOutput(path, std::nullopt);
        ASSERT_EQ(created.status, CreateStatus::Created);
        ASSERT_TRUE(created.file);
        const std::size_t pieces[] = {1, 1000, BufferedFile::kBufferSize + 7, kStep};
        std::size_t done = 0;
        for (std::size_t i = 0; done < data.size(); ++i) {
            const std::size_t take = std::min(pieces[i % std::size(pieces)], data.size() - done);
            created.file->Write(data.data() + done, take);
            done += take;
        }
        ASSERT_EQ(created.file->Publish(path), PublishStatus::Published);
    }

    // Names in the folder, sorted.
    std::vector<std::string> Names() const { return test::ListNames(m_temp.Path()); }

    Platform& m_platform = SystemPlatform();
    test::TempFolder m_temp;
    const fs::path m_folder = test::FsPath(m_temp.Path());
};

TEST_F(PlatformTest, OpenSourceRefusesAnythingButAnExistingFile) {
    fs::create_directory(m_folder / "sub");
    const std::string cases[] = {
        PathOf("sub"),
        PathOf("missing.bin"),
        PathOf("nowhere") + "/missing.bin",
    };
    for (const auto& path : cases) EXPECT_EQ(m_platform.OpenSource(path), nullptr) << path;
}

TEST_F(PlatformTest, ProbeNameTellsWhetherAFileCanBeRead) {
    PutFile("there.txt", "x");
    PutFile("empty.txt", "");
    const struct {
        std::string path;
        bool expected;
    } cases[] = {
        {PathOf("there.txt"), true},
        {PathOf("empty.txt"), true},
        {PathOf("missing.txt"), false},
        {PathOf("nowhere") + "/there.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(m_platform.ProbeName(c.path), c.expected) << c.path;
}

// A folder at a candidate name is taken, whatever the platform.
TEST_F(PlatformTest, ProbeNameCountsAFolderAsTaken) {
    fs::create_directory(m_folder / "sub.bin");
    EXPECT_TRUE(m_platform.ProbeName(PathOf("sub.bin")));
}

TEST_F(PlatformTest, PublishNeverReplacesWhatExists) {
    PutFile("kept.bin", "keep me");
    fs::create_directory(m_folder / "sub");
    const std::string taken[] = {PathOf("kept.bin"), PathOf("sub")};
    for (const auto& path : taken) {
        CreateResult created = m_platform.CreateOutput(path, std::nullopt);
        ASSERT_EQ(created.status, CreateStatus::Created) << path;
        created.file->Write("new", 3);
        EXPECT_EQ(created.file->Publish(path), PublishStatus::NameTaken) << path;
        // Still unpublished: another name may be tried.
        EXPECT_EQ(created.file->Publish(PathOf("free.bin")), PublishStatus::Published) << path;
        EXPECT_EQ(Content("free.bin"), "new");
        fs::remove(m_folder / "free.bin");
    }
    EXPECT_EQ(Content("kept.bin"), "keep me");
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept.bin", "sub"}));
}

// While it is written an output has no name a user would take for a
// finished file, and one never published leaves nothing behind.
TEST_F(PlatformTest, OutputIsHiddenUntilPublishedAndGoneWhenDiscarded) {
    for (const bool discardExplicitly : {true, false}) {
        CreateResult created = m_platform.CreateOutput(PathOf("out.bin"), std::nullopt);
        ASSERT_EQ(created.status, CreateStatus::Created);
        created.file->Write("abc", 3);
        for (const std::string& name : Names()) {
            EXPECT_EQ(name.rfind(".out.bin.", 0), 0u) << name;
            EXPECT_EQ(name.substr(name.size() - 9), ".~mq-part") << name;
        }
        if (discardExplicitly) {
            EXPECT_TRUE(created.file->Discard().Clean());
        }
        created.file.reset();
        EXPECT_TRUE(Names().empty()) << discardExplicitly;
    }
}

#ifndef _WIN32
// Where no unnamed file can be made, the output lies under its hidden
// temporary name while written and is renamed without replacing anything.
TEST_F(PlatformTest, NamedTemporaryIsHiddenRenamedAndRemoved) {
    Platform& named = NamedOutputsPlatform();
    PutFile("kept.bin", "keep me");
    CreateResult created = named.CreateOutput(PathOf("kept.bin"), 0640);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("new", 3);
    const std::vector<std::string> during = Names();
    ASSERT_EQ(during.size(), 2u);
    const std::string& temporary = during[0];
    EXPECT_EQ(temporary.rfind(".kept.bin.", 0), 0u) << temporary;
    EXPECT_EQ(temporary.size(), std::string(".kept.bin.XXXXXX.~mq-part").size()) << temporary;
    EXPECT_EQ(created.file->Publish(PathOf("kept.bin")), PublishStatus::NameTaken);
    EXPECT_EQ(Names(), during) << "nothing replaced, the temporary kept for the next name";
    ASSERT_EQ(created.file->Publish(PathOf("new.bin")), PublishStatus::Published);
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept.bin", "new.bin"}));
    EXPECT_EQ(Content("new.bin"), "new");
    EXPECT_EQ(Content("kept.bin"), "keep me");
    struct stat info {};
    ASSERT_EQ(::stat(PathOf("new.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    CreateResult dropped = named.CreateOutput(PathOf("gone.bin"), std::nullopt);
    ASSERT_EQ(dropped.status, CreateStatus::Created);
    dropped.file->Write("abc", 3);
    EXPECT_EQ(Names().size(), 3u);
    EXPECT_TRUE(dropped.file->Discard().Clean());
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept.bin", "new.bin"}));
}
#endif

TEST_F(PlatformTest, DiscardRemovesEvenAPublishedOutput) {
    CreateResult created = m_platform.CreateOutput(PathOf("out.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    ASSERT_EQ(created.file->Publish(PathOf("out.bin")), PublishStatus::Published);
    EXPECT_TRUE(created.file->Discard().Clean());
    EXPECT_TRUE(Names().empty());
}

// A failed job removes its output by name only while the name still holds
// it: a file moved there meanwhile is left as it is, and said to be.
TEST_F(PlatformTest, DiscardLeavesANameThatNowHoldsAnotherFile) {
    std::vector<Platform*> platforms = {&m_platform};
#ifndef _WIN32
    platforms.push_back(&NamedOutputsPlatform());
#endif
    for (Platform* platform : platforms) {
        CreateResult created = platform->CreateOutput(PathOf("out.bin"), std::nullopt);
        ASSERT_EQ(created.status, CreateStatus::Created);
        created.file->Write("ours", 4);
        ASSERT_EQ(created.file->Publish(PathOf("out.bin")), PublishStatus::Published);
        PutFile("other.bin", "another file");
        fs::rename(m_folder / "other.bin", m_folder / "out.bin");

        const DiscardResult left = created.file->Discard();
        EXPECT_EQ(left.takenByAnother, PathOf("out.bin"));
        EXPECT_EQ(left.notRemoved, "");
        EXPECT_EQ(Content("out.bin"), "another file");
        EXPECT_EQ(Names(), std::vector<std::string>{"out.bin"});
        fs::remove(m_folder / "out.bin");
    }
}

// What a job compares to tell a source changed while it was read: the same
// for the file as it was, another for another file, and changed by a
// rewrite in place or a cut and regrowth to the same length.
TEST_F(PlatformTest, StampsTellAFileAndItsChanges) {
    const std::string content(5000, 'a');
    PutFile("a.bin", content);
    PutFile("b.bin", content);
    const auto stampOf = [this](const std::string& name) {
        auto source = m_platform.OpenSource(PathOf(name));
        std::vector<std::uint8_t> all(10000);
        EXPECT_EQ(source->Read(all.data(), all.size()), 5000u) << "read, the stamps stay";
        return source->Stamp();
    };
    // An hour back, so that a change now shows whatever the stamps' resolution.
    const auto backdate = [this] {
        fs::last_write_time(m_folder / "a.bin", fs::file_time_type::clock::now() - std::chrono::hours(1));
    };
    backdate();
    const std::optional<FileStamp> first = stampOf("a.bin");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 5000);
    EXPECT_EQ(stampOf("a.bin"), first);
    EXPECT_NE(stampOf("b.bin")->file, first->file);

    {
        std::fstream file(m_folder / "a.bin", std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(10);
        file.write("b", 1);
    }
    const std::optional<FileStamp> rewritten = stampOf("a.bin");
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_EQ(rewritten->size, 5000);
    EXPECT_EQ(rewritten->file, first->file);
    EXPECT_NE(rewritten->modified, first->modified);

    backdate();
    const std::optional<FileStamp> before = stampOf("a.bin");
    fs::resize_file(m_folder / "a.bin", 100);
    fs::resize_file(m_folder / "a.bin", 5000);
    const std::optional<FileStamp> regrown = stampOf("a.bin");
    ASSERT_TRUE(regrown.has_value());
    EXPECT_EQ(regrown->size, 5000);
    EXPECT_NE(regrown, before);
}

TEST(TemporaryOutputName, HiddenRecognisableAndWithinTheNameLimit) {
    EXPECT_EQ(TemporaryOutputName("report.~mq", "a1b2c3", NameUnit::Byte), ".report.~mq.a1b2c3.~mq-part");
    const std::string longName = TemporaryOutputName(std::string(300, 'n'), "a1b2c3", NameUnit::Byte);
    EXPECT_EQ(longName.size(), 255u);
    std::string accented;
    for (int i = 0; i < 150; ++i) accented += "\xC3\xA9";
    const std::string cut = TemporaryOutputName(accented, "a1b2c3", NameUnit::Byte);
    EXPECT_LE(cut.size(), 255u);
    EXPECT_EQ((cut.size() - 1 - 16) % 2, 0u) << "whole characters only";
}

TEST_F(PlatformTest, CreateOutputInAMissingFolderFails) {
    const CreateResult created = m_platform.CreateOutput(PathOf("nowhere") + "/out.bin", std::nullopt);
    EXPECT_EQ(created.status, CreateStatus::Failed);
    EXPECT_EQ(created.file, nullptr);
}

TEST_F(PlatformTest, SplitPathUsesThisPlatformsSeparators) {
    const struct {
        std::string path;
        PathParts expected;
    } cases[] = {
#ifdef _WIN32
        {"D:/data/report.tar.gz", {"D:", "/data/", "report.tar", ".gz"}},
        {"D:\\data.old\\README", {"D:", "\\data.old\\", "README", ""}},
        {"D:/data/.profile", {"D:", "/data/", "", ".profile"}},
        {"data\\mixed/name.txt", {"", "data\\mixed/", "name", ".txt"}},
        {"C:name.bin", {"C:", "", "name", ".bin"}},
#else
        {"/data/report.tar.gz", {"", "/data/", "report.tar", ".gz"}},
        {"/data.old/README", {"", "/data.old/", "README", ""}},
        {"/data/.profile", {"", "/data/", "", ".profile"}},
        // Neither a backslash nor a drive means anything here.
        {"D:\\data\\name.txt", {"", "", "D:\\data\\name", ".txt"}},
        {"D:/name.bin", {"", "D:/", "name", ".bin"}},
#endif
    };
    for (const auto& c : cases) {
        const PathParts parts = m_platform.SplitPath(c.path);
        EXPECT_EQ(parts.drive, c.expected.drive) << c.path;
        EXPECT_EQ(parts.folder, c.expected.folder) << c.path;
        EXPECT_EQ(parts.baseName, c.expected.baseName) << c.path;
        EXPECT_EQ(parts.extension, c.expected.extension) << c.path;
    }
}

TEST_F(PlatformTest, SeparatorsMatchThePlatform) {
#ifdef _WIN32
    EXPECT_EQ(m_platform.PreferredSeparator(), '\\');
    EXPECT_TRUE(m_platform.IsSeparator('\\'));
#else
    EXPECT_EQ(m_platform.PreferredSeparator(), '/');
    EXPECT_FALSE(m_platform.IsSeparator('\\'));
#endif
    EXPECT_TRUE(m_platform.IsSeparator('/'));
    EXPECT_FALSE(m_platform.IsSeparator(':'));
    EXPECT_FALSE(m_platform.IsSeparator('.'));
}

TEST_F(PlatformTest, WrittenBytesReadBackInBlocks) {
    // Two buffers and a part block, so refills and the short last read show.
    const auto data = Pattern(2 * BufferedFile::kBufferSize + 3 * kStep + 100);
    WriteThroughPlatform(PathOf("round.bin"), data);

    auto source = m_platform.OpenSource(PathOf("round.bin"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Length(), static_cast<std::int64_t>(data.size()));
    std::vector<std::uint8_t> back;
    std::uint8_t block[kStep];
    std::size_t count = 0;
    do {
        count = source->Read(block, kStep);
        back.insert(back.end(), block, block + count);
    } while (count == kStep);
    EXPECT_EQ(count, 100u);
    EXPECT_EQ(source->Read(block, kStep), 0u);
    EXPECT_TRUE(back == data);
}

TEST_F(PlatformTest, LengthOfAnEmptyFileIsZero) {
    PutFile("empty.bin", "");
    auto source = m_platform.OpenSource(PathOf("empty.bin"));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Length(), 0);
    std::uint8_t block[kStep];
    EXPECT_EQ(source->Read(block, kStep), 0u);
}

TEST_F(PlatformTest, RewindReadsFromTheStartAgain) {
    const auto data = Pattern(BufferedFile::kBufferSize + 5 * kStep);
    WriteThroughPlatform(PathOf("again.bin"), data);
    auto source = m_platform.OpenSource(PathOf("again.bin"));
    ASSERT_TRUE(source);

    // Past the first buffer, so the rewind has to drop buffered bytes too.
    std::vector<std::uint8_t> skipped(BufferedFile::kBufferSize + kStep);
    ASSERT_EQ(source->Read(skipped.data(), skipped.size()), skipped.size());
    source->Rewind();
    std::vector<std::uint8_t> back(data.size());
    ASSERT_EQ(source->Read(back.data(), back.size()), data.size());
    EXPECT_TRUE(back == data);
}

TEST_F(PlatformTest, ClosingTwiceIsHarmless) {
    PutFile("source.bin", "abc");
    auto source = m_platform.OpenSource(PathOf("source.bin"));
    ASSERT_TRUE(source);
    source->Close();
    EXPECT_NO_THROW(source->Close());

    CreateResult created = m_platform.CreateOutput(PathOf("out.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("xyz", 3);
    ASSERT_EQ(created.file->Publish(PathOf("out.bin")), PublishStatus::Published);
    EXPECT_NO_THROW(created.file->Close());
    created.file.reset();
    EXPECT_EQ(Content("out.bin"), "xyz");
}

TEST_F(PlatformTest, FailedWriteNamesTheFileAndTheCause) {
    PutFile("readonly.bin", "abc");
    const std::string path = PathOf("readonly.bin");
    auto source = m_platform.OpenSource(path);
    ASSERT_TRUE(source);
    // The write is only buffered; opened for reading, the flush must fail.
    source->Write("xyz", 3);
    try {
        source->Close();
        FAIL() << "writing to a file opened for reading succeeded";
    } catch (const FileError& error) {
        const std::string text = error.what();
        const std::string lead = "An error occurred while writing \"" + path + "\": ";
        ASSERT_EQ(text.substr(0, lead.size()), lead);
        const std::string cause = text.substr(lead.size());
        EXPECT_FALSE(cause.empty());
        EXPECT_NE(cause.back(), '\n');
        EXPECT_NE(cause.back(), '\r');
    }
    EXPECT_EQ(Content("readonly.bin"), "abc");
}

TEST_F(PlatformTest, FreeSpaceOnlyForAnExistingFolder) {
    const auto here = m_platform.FreeSpace(m_folder.string());
    ASSERT_TRUE(here.has_value());
    EXPECT_GT(*here, 0u);
    EXPECT_FALSE(m_platform.FreeSpace(PathOf("nowhere")).has_value());
}

#ifndef _WIN32
// Special files never block a job: as a source they are refused like a
// folder, as a name they are taken, and they are never replaced.
TEST_F(PlatformTest, FifosAndDevicesNeverBlock) {
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    for (const std::string& path : {PathOf("fifo"), std::string("/dev/null"), std::string("/dev/zero")}) {
        EXPECT_EQ(m_platform.OpenSource(path), nullptr) << path;
        EXPECT_TRUE(m_platform.ProbeName(path)) << path;
    }
    CreateResult created = m_platform.CreateOutput(PathOf("fifo"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    EXPECT_EQ(created.file->Publish(PathOf("fifo")), PublishStatus::NameTaken);
    created.file.reset();
    EXPECT_EQ(Names(), std::vector<std::string>{"fifo"});
    EXPECT_TRUE(fs::is_fifo(m_folder / "fifo"));
}

// A link at a candidate name, dangling or looping, is an entry like any
// other: never written through, never replaced.
TEST_F(PlatformTest, LinksAtANameAreNeverReplaced) {
    ASSERT_EQ(::symlink("nowhere", PathOf("dangling.bin").c_str()), 0);
    ASSERT_EQ(::symlink("loop.bin", PathOf("loop.bin").c_str()), 0);
    for (Platform* platform : {&m_platform, &NamedOutputsPlatform()}) {
        CreateResult created = platform->CreateOutput(PathOf("dangling.bin"), std::nullopt);
        ASSERT_EQ(created.status, CreateStatus::Created);
        created.file->Write("new", 3);
        EXPECT_EQ(created.file->Publish(PathOf("dangling.bin")), PublishStatus::NameTaken);
        EXPECT_EQ(created.file->Publish(PathOf("loop.bin")), PublishStatus::NameTaken);
        ASSERT_EQ(created.file->Publish(PathOf("free.bin")), PublishStatus::Published);
        EXPECT_EQ(Content("free.bin"), "new");
        fs::remove(m_folder / "free.bin");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"dangling.bin", "loop.bin"}));
    EXPECT_EQ(fs::read_symlink(m_folder / "dangling.bin"), "nowhere");
    EXPECT_EQ(fs::read_symlink(m_folder / "loop.bin"), "loop.bin");
}

// The naming calls of a named temporary, logged, for file systems that lack
// some of them.
class NamingPlatformTest : public PlatformTest {
protected:
    NamingPlatformTest() {
        const PosixNamingCalls system = SystemNamingCalls();
        m_calls.renameNoReplace = [this, system](const char* from, const char* to) {
            m_log.push_back("renameNoReplace");
            if (!m_hasNoReplace) {
                errno = EINVAL;
                return -1;
            }
            return system.renameNoReplace(from, to);
        };
        m_calls.link = [this, system](const char* from, const char* to) {
            m_log.push_back("link");
            if (!m_hasLinks) {
                errno = EPERM;
                return -1;
            }
            return system.link(from, to);
        };
        m_calls.rename = [this, system](const char* from, const char* to) {
            m_log.push_back("rename");
            struct stat info {};
            m_sizeAtRename = ::stat(to, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
            if (m_beforeRename) return m_beforeRename(from, to);
            return system.rename(from, to);
        };
        m_calls.unlink = [this, system](const char* path) {
            m_log.push_back("unlink");
            if (m_unlinkFails) {
                errno = EBUSY;
                return -1;
            }
            return system.unlink(path);
        };
    }

    std::unique_ptr<Platform> MakePlatform() { return MakeNamedOutputsPlatform(m_calls); }

    PosixNamingCalls m_calls;
    bool m_hasNoReplace = true;
    bool m_hasLinks = true;
    bool m_unlinkFails = false;
    std::vector<std::string> m_log;
    long long m_sizeAtRename = -2;  // what the final name held at the rename
    std::function<int(const char*, const char*)> m_beforeRename;
};

// Only the rename cannot refuse to replace (RENAME_NOREPLACE: EINVAL): the
// complete file's second link claims the name, so nothing but the complete
// file ever shows under it, and a taken name is refused.
TEST_F(NamingPlatformTest, WithoutNoReplaceTheCompleteFilesLinkClaimsTheName) {
    m_hasNoReplace = false;
    const auto platform = MakePlatform();
    PutFile("kept.bin", "keep me");
    CreateResult created = platform->CreateOutput(PathOf("kept.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("new", 3);
    EXPECT_EQ(created.file->Publish(PathOf("kept.bin")), PublishStatus::NameTaken);
    ASSERT_EQ(created.file->Publish(PathOf("new.bin")), PublishStatus::Published);
    EXPECT_EQ(m_log, (std::vector<std::string>{"renameNoReplace", "link", "renameNoReplace", "link", "unlink"}));
    EXPECT_EQ(created.file->TemporaryNotRemoved(), "");
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept.bin", "new.bin"}));
    EXPECT_EQ(Content("new.bin"), "new");
    EXPECT_EQ(Content("kept.bin"), "keep me");
}

// The temporary's link cannot be removed once the final name holds the
// file: the output is published all the same, and the temporary is said,
// not left unknown. A job that then fails takes both names away.
TEST_F(NamingPlatformTest, ATemporaryThatCannotBeRemovedAfterTheLinkIsSaid) {
    m_hasNoReplace = false;
    m_unlinkFails = true;
    const auto platform = MakePlatform();
    CreateResult created = platform->CreateOutput(PathOf("new.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("new", 3);
    EXPECT_EQ(created.file->TemporaryNotRemoved(), "") << "nothing said before publication";
    ASSERT_EQ(created.file->Publish(PathOf("new.bin")), PublishStatus::Published);
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(".new.bin.", 0), 0u) << names[0];
    EXPECT_EQ(created.file->TemporaryNotRemoved(), PathOf(names[0]));
    EXPECT_EQ(Content("new.bin"), "new");
    EXPECT_TRUE(created.file->Discard().Clean());
    EXPECT_TRUE(Names().empty());
}

// Neither RENAME_NOREPLACE nor hard links: the name is claimed with an empty
// file of the job's own and renamed over, the one instant an empty file shows
// under the final name (the README says so). A rename that fails then takes
// the claim away only while the name still holds it.
TEST_F(NamingPlatformTest, WithoutNoReplaceOrLinksAnEmptyClaimHoldsTheNameForAnInstant) {
    m_hasNoReplace = false;
    m_hasLinks = false;
    const auto platform = MakePlatform();
    CreateResult created = platform->CreateOutput(PathOf("new.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("new", 3);
    ASSERT_EQ(created.file->Publish(PathOf("new.bin")), PublishStatus::Published);
    EXPECT_EQ(m_log, (std::vector<std::string>{"renameNoReplace", "link", "rename"}));
    EXPECT_EQ(m_sizeAtRename, 0) << "the claim";
    EXPECT_EQ(Names(), std::vector<std::string>{"new.bin"});
    EXPECT_EQ(Content("new.bin"), "new");

    // Another file is moved over the claim, then the rename fails.
    m_beforeRename = [this](const char*, const char* to) {
        PutFile("other.bin", "another file");
        fs::rename(m_folder / "other.bin", fs::path(to));
        errno = EIO;
        return -1;
    };
    CreateResult failing = platform->CreateOutput(PathOf("next.bin"), std::nullopt);
    ASSERT_EQ(failing.status, CreateStatus::Created);
    failing.file->Write("new", 3);
    EXPECT_EQ(failing.file->Publish(PathOf("next.bin")), PublishStatus::Failed);
    EXPECT_TRUE(failing.file->Discard().Clean());
    EXPECT_EQ(Names(), (std::vector<std::string>{"new.bin", "next.bin"}));
    EXPECT_EQ(Content("next.bin"), "another file");
}

// An output is as private as its source: it gets the source's bits, which
// the umask does not widen or narrow.
TEST_F(PlatformTest, OutputTakesTheSourcesPermissions) {
    const std::uint32_t modes[] = {0600, 0640, 0644, 0400};
    for (const std::uint32_t mode : modes) {
        PutFile("source.bin", "abc");
        ASSERT_EQ(::chmod(PathOf("source.bin").c_str(), mode), 0);
        auto source = m_platform.OpenSource(PathOf("source.bin"));
        ASSERT_TRUE(source);
        ASSERT_EQ(source->Permissions(), mode);
        CreateResult created = m_platform.CreateOutput(PathOf("out.bin"), source->Permissions());
        ASSERT_EQ(created.status, CreateStatus::Created);
        created.file->Write("xyz", 3);
        ASSERT_EQ(created.file->Publish(PathOf("out.bin")), PublishStatus::Published);
        struct stat info {};
        ASSERT_EQ(::stat(PathOf("out.bin").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << std::oct << mode;
        source.reset();
        fs::remove(m_folder / "out.bin");
        fs::remove(m_folder / "source.bin");
    }
}
#endif

#ifdef _WIN32
// The attributes the folder lists for `name`.
DWORD ListedAttributes(const std::string& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(test::FsPath(path).wstring().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
    FindClose(search);
    return found.dwFileAttributes;
}

// The temporary is hidden and marked for deletion while it is written, so a
// process killed meanwhile leaves nothing: nobody can open it. The output
// shows once named (attributes are the file's, whatever its name).
TEST_F(PlatformTest, TemporaryIsHiddenAndMarkedForDeletionWhileWritten) {
    CreateResult created = m_platform.CreateOutput(PathOf("out.bin"), std::nullopt);
    ASSERT_EQ(created.status, CreateStatus::Created);
    created.file->Write("abc", 3);
    ASSERT_EQ(Names().size(), 1u);
    for (const std::string& name : Names()) {
        EXPECT_TRUE(ListedAttributes(PathOf(name)) & FILE_ATTRIBUTE_HIDDEN) << name;
        const HANDLE handle = CreateFileA(PathOf(name).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(handle, INVALID_HANDLE_VALUE) << name;
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    ASSERT_EQ(created.file->Publish(PathOf("out.bin")), PublishStatus::Published);
    EXPECT_EQ(Names(), std::vector<std::string>{"out.bin"}) << "unmarked once published";
    EXPECT_FALSE(ListedAttributes(PathOf("out.bin")) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Content("out.bin"), "abc");
}

// A source being read may be read by others too, but not changed.
TEST_F(PlatformTest, SourceIsSharedForReadingOnly) {
    PutFile("shared.bin", "abc");
    auto source = m_platform.OpenSource(PathOf("shared.bin"));
    ASSERT_TRUE(source);
    EXPECT_TRUE(m_platform.OpenSource(PathOf("shared.bin")));
    EXPECT_TRUE(m_platform.ProbeName(PathOf("shared.bin")));
    std::ofstream writer(m_folder / "shared.bin", std::ios::binary | std::ios::app);
    EXPECT_FALSE(writer.is_open());
}
#endif

// The key's second comes from the system as 64 bits: a 32-bit runtime time()
// gives -1 from 2038, and every key would then be the same.
TEST(SystemClock, CurrentTimeIsTheCalendarSecond) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    EXPECT_LE(std::abs(SystemPlatform().CurrentTime() - static_cast<std::int64_t>(now)), 60);
}

}  // namespace
}  // namespace morvane
