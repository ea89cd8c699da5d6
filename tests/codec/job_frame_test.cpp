// The frame both jobs share: request and host checks, the length and
// free-space rules, progress, the target prefix and the output name search.
#include "job_frame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <tuple>

#include "job_test_fixture.h"
#include "utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace morvane::test {
namespace {

struct Job {
    const char* name;
    JobKind kind;
    std::uint32_t (*proc)(void*);  // its thread entry
};
const Job kJobs[] = {{"encode", JobKind::Encode, EncodeThreadProc}, {"decode", JobKind::Decode, DecodeThreadProc}};

using JobFrame = JobTest;

TEST_F(JobFrame, NullRequestIsRefusedSilently) {
    for (const Job& job : kJobs) EXPECT_EQ(job.proc(nullptr), kJobNoRequest) << job.name;
}

TEST_F(JobFrame, ThreadEntryRunsTheJobOfItsRequest) {
    const std::string source = MakeSource("report.pdf", kMiB);
    auto* request = new JobRequest;  // the entry deletes it
    request->host = &host;
    request->sourcePath = source;
    request->targetFolder = out;
    request->platform = &platform;
    EXPECT_EQ(EncodeThreadProc(request), kJobDone);
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report.~mq")});
}

TEST_F(JobFrame, MissingHostOrWindowIsRefusedWithoutTouchingTheHost) {
    const std::string source = MakeSource("report.pdf", kMiB);
    for (const Job& job : kJobs) {
        auto* request = new JobRequest;
        request->sourcePath = source;
        request->targetFolder = out;
        request->platform = &platform;
        EXPECT_EQ(job.proc(request), kJobNoHost) << job.name;

        RecordingJobHost windowless(false);
        EXPECT_EQ(Run(job.kind, windowless, source, out), kJobNoHost) << job.name;
        EXPECT_EQ(windowless.CallCount(), 1) << "only HasWindow";
    }
    EXPECT_TRUE(ListNames(out).empty());
}

// Refusals before any output: each job stops with the message alone, its
// controls never disabled, and nothing written.
enum class RefusedSource { Missing, Folder, OneByteShort, Report };

struct Refusal {
    const char* name;
    RefusedSource source;
    std::optional<std::int64_t> length;  // the length the platform claims
    bool freeSpaceFails;
    std::string message;  // PATH stands for the source's path
};

const Refusal kRefusals[] = {
    {"MissingSource", RefusedSource::Missing, std::nullopt, false, "Unable to open file PATH"},
    {"FolderAsSource", RefusedSource::Folder, std::nullopt, false, "Unable to open file PATH"},
    {"SourceOneByteShortOfTheMinimum", RefusedSource::OneByteShort, std::nullopt, false,
     "Please select the file of length >= 1MB."},
    // The length checks in order.
    {"LengthUnknown", RefusedSource::Report, -1, false, "Application Error. - Unable to process."},
    {"LengthNegative", RefusedSource::Report, -2, false, "Please select the file of length >= 1MB."},
    {"LengthZero", RefusedSource::Report, 0, false, "Please select the file of length >= 1MB."},
    {"LengthOneByteShort", RefusedSource::Report, 0x0FFFFF, false, "Please select the file of length >= 1MB."},
    {"LengthTooBig", RefusedSource::Report, 0x7FFFFFFFFFF00000, false,
     "Application Error - File is too big.\nUnable to process."},
    {"LengthGreatestInt64", RefusedSource::Report, std::numeric_limits<std::int64_t>::max(), false,
     "Application Error - File is too big.\nUnable to process."},
    // The greatest accepted length passes on to the free-space rule.
    {"GreatestLengthGoesOnToFreeSpace", RefusedSource::Report, kGreatestSourceLength, false,
     "Disk space is not available."},
    {"FreeSpaceQueryFailing", RefusedSource::Report, std::nullopt, true,
     "Application Error. - Unable to process the request."},
};

void PrintTo(const Job& job, std::ostream* out) { *out << job.name; }
void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class JobFrameRefusal : public JobTest, public ::testing::WithParamInterface<std::tuple<Job, Refusal>> {};

TEST_P(JobFrameRefusal, ShowsItsMessageAndWritesNothing) {
    const auto& [job, refusal] = GetParam();
    std::string source;
    switch (refusal.source) {
    case RefusedSource::Missing: source = in + "/missing.pdf"; break;
    case RefusedSource::Folder: source = temp.MakeFolder("in/folder.pdf"); break;
    case RefusedSource::OneByteShort: source = MakeSource("small.pdf", kMiB - 1); break;
    case RefusedSource::Report: source = MakeSource("report.pdf", kMiB); break;
    }
    if (refusal.length) {
        platform.faults.sourceLength = *refusal.length;
        // Exactly the greatest length plus the margin: too little.
        platform.faults.freeSpace = static_cast<std::uint64_t>(kGreatestSourceLength) + kFreeSpaceMargin;
    }
    platform.faults.freeSpaceFails = refusal.freeSpaceFails;
    std::string message = refusal.message;
    if (const auto at = message.find("PATH"); at != std::string::npos) message.replace(at, 4, source);

    EXPECT_EQ(Run(job.kind, host, source, out), kJobStopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{message});
    EXPECT_FALSE(host.ControlsWereDisabled());
    EXPECT_EQ(host.Trace(), "busy 1, message, busy 0, enable 1");
    EXPECT_TRUE(ListNames(out).empty());
}

INSTANTIATE_TEST_SUITE_P(BeforeAnyOutput, JobFrameRefusal, ::testing::Combine(::testing::ValuesIn(kJobs),
                                                                               ::testing::ValuesIn(kRefusals)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

TEST_F(JobFrame, FreeSpaceMustExceedLengthPlusMargin) {
    const std::string source = MakeSource("report.pdf", kMiB + 10);
    const std::string container = EncodeToOut(source);
    const auto containerLength = static_cast<std::uint64_t>(ReadBytes(container).size());
    const std::string target = temp.MakeFolder("target");
    struct Case {
        const Job& job;
        std::string path;
        std::uint64_t length;
    };
    const Case cases[] = {{kJobs[0], source, kMiB + 10}, {kJobs[1], container, containerLength}};
    for (const Case& c : cases) {
        for (std::uint64_t free : {std::uint64_t{0}, c.length, c.length + kMiB}) {
            platform.faults.freeSpace = free;
            RecordingJobHost jobHost;
            EXPECT_EQ(Run(c.job.kind, jobHost, c.path, target), kJobStopped);
            EXPECT_EQ(jobHost.Messages(), std::vector<std::string>{"Disk space is not available."})
                << c.job.name << " free " << free;
            EXPECT_FALSE(jobHost.ControlsWereDisabled());
        }
        platform.faults.freeSpace = c.length + kMiB + 1;
        RecordingJobHost jobHost;
        EXPECT_EQ(Run(c.job.kind, jobHost, c.path, target), kJobDone) << c.job.name;
        EXPECT_TRUE(jobHost.Messages().empty());
    }
    EXPECT_EQ(ListNames(target), (std::vector<std::string>{"report.pdf", "report.~mq"}));
}

TEST_F(JobFrame, SuccessfulJobDrivesTheHostInOrder) {
    const std::string source = MakeSource("report.pdf", kMiB);
    EXPECT_EQ(Encode(source), kJobDone);
    EXPECT_EQ(host.Trace(), "busy 1, enable 0, range 256, step 1, pos, output, busy 0, enable 1");
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report.~mq")});
    EXPECT_TRUE(host.Messages().empty());
}

// A host whose window has gone (the dialog closed during the checks) stops
// the job before any output exists, whichever job it is.
TEST_F(JobFrame, CancelledHostStopsBeforeTheOutputIsCreated) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.name);
        const std::string source = job.kind == JobKind::Encode ? MakeSource("report.pdf", kMiB)
                                                                : EncodeToOut(MakeSource("report.pdf", kMiB));
        const std::string target = temp.MakeFolder(std::string("cancelled-") + job.name);
        RecordingJobHost cancelled;
        cancelled.Cancel();
        EXPECT_EQ(Run(job.kind, cancelled, source, target), kJobStopped);
        EXPECT_TRUE(cancelled.Messages().empty());
        EXPECT_TRUE(ListNames(target).empty());
        EXPECT_FALSE(cancelled.Busy());
        EXPECT_EQ(cancelled.Calls().back(), "enable 1");
    }
}

// An interrupt while the payload is copied: the job stops within a few
// blocks, shows nothing and leaves nothing.
TEST_F(JobFrame, CancelledMidPayloadStopsWithoutOutput) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.name);
        const std::string source = job.kind == JobKind::Encode
                                       ? MakeSource("report.pdf", 2 * kMiB)
                                       : EncodeToOut(MakeSource("report.pdf", 2 * kMiB));
        const std::string target = temp.MakeFolder(std::string("midway-") + job.name);
        platform.createdPaths.clear();
        platform.discardedPaths.clear();
        RecordingJobHost cancelled;
        cancelled.CancelAtPosition(100);
        EXPECT_EQ(Run(job.kind, cancelled, source, target), kJobStopped);
        EXPECT_TRUE(cancelled.Messages().empty());
        EXPECT_TRUE(cancelled.OutputPaths().empty());
        EXPECT_TRUE(ListNames(target).empty());
        EXPECT_EQ(platform.discardedPaths, platform.createdPaths);
        EXPECT_GE(cancelled.LastPosition(), 100u);
        EXPECT_LT(cancelled.LastPosition(), 100u + 16u) << "asked every 16 blocks";
        EXPECT_FALSE(cancelled.Busy());
        EXPECT_EQ(cancelled.Calls().back(), "enable 1");
    }
}

// An interrupt that comes while the last blocks are copied, after the last
// check of the loop: the job is asked once more right before the output
// gets its name, so it stops with nothing named.
TEST_F(JobFrame, CancelledAfterTheLastBlockStopsBeforeTheName) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.name);
        // 256 whole blocks and a short one: the loop's last check is before
        // block 257.
        const std::string source = job.kind == JobKind::Encode
                                       ? MakeSource("report.pdf", kMiB + 50)
                                       : EncodeToOut(MakeSource("report.pdf", kMiB + 50));
        const std::string target = temp.MakeFolder(std::string("late-") + job.name);
        platform.createdPaths.clear();
        platform.discardedPaths.clear();
        platform.publishTries.clear();
        RecordingJobHost cancelled;
        cancelled.CancelAtPosition(257);
        EXPECT_EQ(Run(job.kind, cancelled, source, target), kJobStopped);
        EXPECT_EQ(cancelled.LastPosition(), 257u) << "every block was copied";
        EXPECT_TRUE(cancelled.Messages().empty());
        EXPECT_TRUE(cancelled.OutputPaths().empty());
        EXPECT_TRUE(platform.publishTries.empty()) << "no name was given";
        EXPECT_TRUE(ListNames(target).empty());
        EXPECT_EQ(platform.discardedPaths, platform.createdPaths);
        EXPECT_EQ(cancelled.Calls().back(), "enable 1");
    }
}

TEST_F(JobFrame, ProgressCountsBlocks) {
    struct Case {
        std::size_t size;
        std::uint32_t range;
        std::uint32_t last;
    };
    const Case cases[] = {
        {kMiB, 256, 256},
        {kMiB + 4096 * 3, 259, 259},
        {kMiB + 4096 * 3 + 1, 259, 260},
        {kMiB + 4095, 256, 257},
    };
    for (const Case& c : cases) {
        const std::string source = MakeSource("p" + std::to_string(c.size) + ".bin", c.size);
        RecordingJobHost jobHost;
        ASSERT_EQ(Run(JobKind::Encode, jobHost, source, out), kJobDone);
        EXPECT_EQ(jobHost.RangeUpper(), c.range) << c.size;
        EXPECT_EQ(jobHost.Step(), 1u);
        EXPECT_EQ(jobHost.LastPosition(), c.last) << c.size;
        EXPECT_EQ(jobHost.MaxPosition(), c.last);
        EXPECT_EQ(jobHost.PositionCount(), c.last) << "one position per block";
        EXPECT_EQ(platform.readsAfterShortRead, 0) << "a short read ends the payload";
    }
}

TEST_F(JobFrame, TargetPrefix) {
    const std::string source = MakeSource("report.pdf", kMiB);
    struct Case {
        std::string folder;
        std::string output;
    };
    const Case cases[] = {
        {out, OutputIn(out, "report.~mq")},
        {out + "/", out + "/report (2).~mq"},
    };
    for (const Case& c : cases) {
        RecordingJobHost jobHost;
        ASSERT_EQ(Run(JobKind::Encode, jobHost, source, c.folder), kJobDone);
        EXPECT_EQ(jobHost.OutputPaths(), std::vector<std::string>{c.output});
    }
}

TEST_F(JobFrame, TakenNamesAreSkippedAndKept) {
    const std::string source = MakeSource("report.pdf", kMiB);
    WriteBytes(out + "/report.~mq", {'a'});
    WriteBytes(out + "/report (2).~mq", {'b'});
    ASSERT_EQ(Encode(source), kJobDone);
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report (3).~mq")});
    EXPECT_EQ(ReadBytes(out + "/report.~mq"), Bytes{'a'});
    EXPECT_EQ(ReadBytes(out + "/report (2).~mq"), Bytes{'b'});
}

TEST_F(JobFrame, NameThatExistsButCannotBeProbedIsNeverReplaced) {
    // As for a file that cannot be opened for reading, or one another job
    // created after the probe: creation finds it and moves on.
    const std::string source = MakeSource("report.pdf", kMiB);
    WriteBytes(out + "/report.~mq", {'k', 'e', 'e', 'p'});
    platform.faults.unprobeableNames = {"report.~mq"};
    ASSERT_EQ(Encode(source), kJobDone);
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report (2).~mq")});
    EXPECT_EQ(ReadBytes(out + "/report.~mq"), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(platform.publishedPaths, std::vector<std::string>{OutputIn(out, "report (2).~mq")});
}

// Someone takes the free name while the output is written: the output
// moves on to the next number, the other file is kept, and the path
// reported is the one the output got.
TEST_F(JobFrame, NameTakenAtTheLastMomentMovesTheOutputOn) {
    const std::string source = MakeSource("report.pdf", kMiB);
    WriteBytes(out + "/report (2).~mq", {'b'});
    platform.faults.takenAtPublish = {"report.~mq", "report (3).~mq"};
    ASSERT_EQ(Encode(source), kJobDone);
    const std::string final = OutputIn(out, "report (4).~mq");
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{final});
    EXPECT_EQ(platform.publishTries, (std::vector<std::string>{OutputIn(out, "report.~mq"),
                                                                OutputIn(out, "report (3).~mq"), final}));
    EXPECT_EQ(ReadBytes(out + "/report.~mq"), (Bytes{'t', 'a', 'k', 'e', 'n'}));
    EXPECT_EQ(ReadBytes(out + "/report (3).~mq"), (Bytes{'t', 'a', 'k', 'e', 'n'}));
    EXPECT_EQ(ReadBytes(out + "/report (2).~mq"), Bytes{'b'});
    EXPECT_EQ(ListNames(out).size(), 4u) << "no temporary left";
}

// The output got its name but its temporary could not be removed: the job
// has succeeded, and the host hears of the temporary with the output.
TEST_F(JobFrame, TemporaryLeftAfterPublicationIsSaidWithTheOutput) {
    const std::string source = MakeSource("report.pdf", kMiB);
    platform.faults.temporaryStays = true;
    ASSERT_EQ(Encode(source), kJobDone);
    const std::string final = OutputIn(out, "report.~mq");
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{final});
    EXPECT_EQ(host.TemporariesNotRemoved(), std::vector<std::string>{final + ".temporary"});
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(ListNames(out), std::vector<std::string>{"report.~mq"});
}

#ifdef _WIN32
// A name whose file is being deleted (another process holds it, marked)
// refuses every open and every link: it is taken, and the output takes the
// next number instead of failing after its whole payload.
TEST_F(JobFrame, ANameBeingDeletedIsTaken) {
    const std::string source = MakeSource("report.pdf", kMiB);
    const std::string pending = OutputIn(out, "report.~mq");
    WriteBytes(pending, {'p'});
    const HANDLE held = CreateFileW(FsPath(pending).wstring().c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    FILE_DISPOSITION_INFO deleting{};
    deleting.DeleteFile = TRUE;
    ASSERT_TRUE(SetFileInformationByHandle(held, FileDispositionInfo, &deleting, sizeof deleting));
    const std::uint32_t result = Encode(source);
    CloseHandle(held);
    EXPECT_EQ(result, kJobDone) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(host.OutputPaths(), std::vector<std::string>{OutputIn(out, "report (2).~mq")});
}

// A backup tool clears the archive bit or ticks Read-only while a job reads
// the source: its bytes cannot change (nobody may write it meanwhile), so
// the job succeeds.
TEST_F(JobFrame, AMetadataChangeToTheSourceIsNoChange) {
    const std::string source = MakeSource("report.pdf", 3 * kMiB);
    const std::wstring wide = FsPath(source).wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    host.AtPosition(16, [&] { EXPECT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY)); });
    const std::uint32_t result = Encode(source);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result, kJobDone) << ::testing::PrintToString(host.Messages());
    EXPECT_EQ(ListNames(out), std::vector<std::string>{"report.~mq"});
}
#endif

#ifndef _WIN32
// A source changed in place while a job reads it, its length the same at the
// end (on Windows nobody may write a source a job reads). Its identity and
// stamps, taken when the job started, are compared once it is read: any
// change fails the job with the change message and no output.
class SourceChangedInPlace : public JobTest {
protected:
    static constexpr std::size_t kSize = 3 * kMiB;

    // Encodes a 3 MiB source whose last change lies an hour back, so that a
    // change now shows in its stamps whatever their resolution; `change`
    // runs once `position` blocks are copied. Returns the job's result.
    std::uint32_t EncodeChangedAt(std::uint32_t position, const std::function<void(const std::string&)>& change) {
        source = MakeSource("report.pdf", kSize);
        namespace fs = std::filesystem;
        fs::last_write_time(FsPath(source), fs::file_time_type::clock::now() - std::chrono::hours(1));
        host.AtPosition(position, [this, change] { change(source); });
        return Encode(source);
    }

    static void Overwrite(const std::string& path, std::uint64_t offset, const std::string& bytes) {
        std::fstream file(FsPath(path), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(offset));
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good());
    }

    void ExpectChangedAndNoOutput(std::uint32_t result) {
        ExpectStoppedWith(result, "The file \"" + source + "\" changed while it was being read.");
        EXPECT_TRUE(ListNames(out).empty());
        EXPECT_EQ(platform.discardedPaths, platform.createdPaths);
    }

    std::string source;
};

TEST_F(SourceChangedInPlace, CutShortAndGrownBackToItsLength) {
    ExpectChangedAndNoOutput(EncodeChangedAt(16, [](const std::string& path) {
        std::filesystem::resize_file(FsPath(path), kSize / 2);
        std::filesystem::resize_file(FsPath(path), kSize);
    }));
}

TEST_F(SourceChangedInPlace, RewrittenBeforeTheReadPosition) {
    ExpectChangedAndNoOutput(
        EncodeChangedAt(400, [](const std::string& path) { Overwrite(path, 100, "rewritten"); }));
}

// Writers are not locked out here, so ctime, which no writer can set back,
// is compared too; a chmod moves it, and is taken as a change.
TEST_F(SourceChangedInPlace, PermissionsChanged) {
    ExpectChangedAndNoOutput(
        EncodeChangedAt(16, [](const std::string& path) { ASSERT_EQ(::chmod(path.c_str(), 0400), 0); }));
}

TEST_F(SourceChangedInPlace, RewrittenAfterTheReadPosition) {
    ExpectChangedAndNoOutput(
        EncodeChangedAt(16, [](const std::string& path) { Overwrite(path, kSize - 100, "rewritten"); }));
}

TEST_F(SourceChangedInPlace, ContainerCutShortAndGrownBackWhileDecoded) {
    const std::string container = EncodeToOut(MakeSource("report.pdf", kSize));
    const std::string moved = in + "/report.~mq";
    std::filesystem::rename(FsPath(container), FsPath(moved));
    namespace fs = std::filesystem;
    fs::last_write_time(FsPath(moved), fs::file_time_type::clock::now() - std::chrono::hours(1));
    const auto size = fs::file_size(FsPath(moved));
    host.AtPosition(16, [&] {
        fs::resize_file(FsPath(moved), size / 2);
        fs::resize_file(FsPath(moved), size);
    });
    const std::uint32_t result = Decode(moved);
    ExpectStoppedWith(result, "The file \"" + moved + "\" changed while it was being read.");
    EXPECT_TRUE(ListNames(out).empty());
}

// Reading the source meanwhile (its access time) changes nothing: the job
// is accepted and its output whole.
TEST_F(SourceChangedInPlace, ReadMeanwhileIsStillAccepted) {
    EXPECT_EQ(EncodeChangedAt(16, [](const std::string& path) { EXPECT_EQ(ReadBytes(path).size(), kSize); }),
              kJobDone);
    EXPECT_TRUE(host.Messages().empty());
    ASSERT_EQ(ListNames(out), std::vector<std::string>{"report.~mq"});
    RecordingJobHost decodeHost;
    const std::string back = temp.MakeFolder("back");
    ASSERT_EQ(Run(JobKind::Decode, decodeHost, out + "/report.~mq", back), kJobDone);
    EXPECT_EQ(ReadBytes(back + "/report.pdf"), ReadBytes(source));
}
#endif

TEST_F(JobFrame, FileErrorTextIsCutToTheBufferLimit) {
    const std::string source = MakeSource("report.pdf", kMiB);
    platform.faults.readErrorAfter = 0;
    platform.faults.errorText = std::string(1500, 'x');
    ExpectStoppedWith(Encode(source), std::string(kFileErrorTextLimit, 'x'));
}

// A long path gives way to the cause, which is what the user needs.
TEST(FitErrorText, KeepsTheCauseWhenThePathIsLong) {
    const std::string cause = "\": File too large";
    const std::string head = "An error occurred while writing \"/";
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const std::string longPath(1500, 'p');
    const std::string fits = head + std::string(900, 'p') + cause;
    std::string twoBytePath;  // 750 times U+00E9, two bytes each
    for (int i = 0; i < 750; ++i) twoBytePath += "\xC3\xA9";
    // Room for an odd number of path bytes: the last character is left out whole.
    const std::size_t room = kFileErrorTextLimit - cause.size() - 3 - head.size();
    ASSERT_EQ(room % 2, 1u);
    const Case cases[] = {
        {"short enough", fits, fits},
        {"long path", head + longPath + cause,
         (head + longPath).substr(0, 1023 - cause.size() - 3) + "..." + cause},
        // A character of several bytes is not split where the path is cut.
        {"long path of two-byte characters", head + twoBytePath + cause,
         head + twoBytePath.substr(0, room - 1) + "..." + cause},
    };
    for (const Case& c : cases) {
        const std::string fitted = FitErrorText(c.text, kFileErrorTextLimit);
        EXPECT_LE(fitted.size(), kFileErrorTextLimit) << c.what;
        EXPECT_EQ(fitted, c.expected) << c.what;
        EXPECT_TRUE(IsValidUtf8(fitted)) << c.what;
    }
}

}  // namespace
}  // namespace morvane::test
