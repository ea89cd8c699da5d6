// File-system faults injected through the platform seam: each stops the job
// with its message, leaves no output behind and the source untouched, and
// hands the controls back.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "job_test_fixture.h"

namespace morvane::test {
namespace {

enum class Expect {
    InjectedError,
    CreationRefused,
    ApplicationError,
    SourceChanged,
    SourceNotChecked,
    InjectedErrorAndLeftover
};

struct FaultCase {
    const char* what;
    bool decode;
    void (*inject)(InjectedFaults&);
    Expect message;
};

const FaultCase kFaultCases[] = {
    {"disk full at the first byte", false, [](InjectedFaults& f) { f.diskFullAfter = 0; }, Expect::InjectedError},
    {"disk full in the header", false, [](InjectedFaults& f) { f.diskFullAfter = 100; }, Expect::InjectedError},
    {"disk full in the payload", false, [](InjectedFaults& f) { f.diskFullAfter = 600000; }, Expect::InjectedError},
    {"disk full in the last block", false, [](InjectedFaults& f) { f.diskFullAfter = 0x100000 + 544 + 20; },
     Expect::InjectedError},
    {"disk full while decoding", true, [](InjectedFaults& f) { f.diskFullAfter = 600000; }, Expect::InjectedError},
    {"flush fails at close", false, [](InjectedFaults& f) { f.closeFails = true; }, Expect::InjectedError},
    {"flush fails at close while decoding", true, [](InjectedFaults& f) { f.closeFails = true; },
     Expect::InjectedError},
    {"read error at the start", false, [](InjectedFaults& f) { f.readErrorAfter = 0; }, Expect::InjectedError},
    {"read error in the header", true, [](InjectedFaults& f) { f.readErrorAfter = 100; }, Expect::InjectedError},
    {"read error in the payload", false, [](InjectedFaults& f) { f.readErrorAfter = 500000; },
     Expect::InjectedError},
    {"read error in the payload while decoding", true, [](InjectedFaults& f) { f.readErrorAfter = 500000; },
     Expect::InjectedError},
    {"rewind fails", false, [](InjectedFaults& f) { f.rewindFails = true; }, Expect::InjectedError},
    {"creation refused", false, [](InjectedFaults& f) { f.refuseCreation = true; }, Expect::CreationRefused},
    {"creation refused while decoding", true, [](InjectedFaults& f) { f.refuseCreation = true; },
     Expect::CreationRefused},
    {"publication refused", false, [](InjectedFaults& f) { f.publishFails = true; }, Expect::CreationRefused},
    {"publication refused while decoding", true, [](InjectedFaults& f) { f.publishFails = true; },
     Expect::CreationRefused},
    {"source ends early", false, [](InjectedFaults& f) { f.sourceEndsAfter = 600000; }, Expect::SourceChanged},
    {"source ends in the last block", false, [](InjectedFaults& f) { f.sourceEndsAfter = 0x100000 + 20; },
     Expect::SourceChanged},
    {"container ends early", true, [](InjectedFaults& f) { f.sourceEndsAfter = 600000; }, Expect::SourceChanged},
    {"source grows", false, [](InjectedFaults& f) { f.sourceGrowsBy = 1; }, Expect::SourceChanged},
    {"source rewritten in place", false, [](InjectedFaults& f) { f.stampChangesAfter = 600000; },
     Expect::SourceChanged},
    {"source rewritten in place at its end", false, [](InjectedFaults& f) { f.stampChangesAfter = 0x100000 + 50; },
     Expect::SourceChanged},
    {"container rewritten in place", true, [](InjectedFaults& f) { f.stampChangesAfter = 600000; },
     Expect::SourceChanged},
    {"container grows", true, [](InjectedFaults& f) { f.sourceGrowsBy = 5000; }, Expect::SourceChanged},
    // A stale network handle: not known to be changed, nor to be sound.
    {"source stamp cannot be had again", false, [](InjectedFaults& f) { f.stampFailsAfter = 0x100000; },
     Expect::SourceNotChecked},
    {"leftover cannot be removed", false,
     [](InjectedFaults& f) {
         f.diskFullAfter = 600000;
         f.discardFails = true;
     },
     Expect::InjectedErrorAndLeftover},
    {"allocation fails in the header", true, [](InjectedFaults& f) { f.allocationFailsAfter = 100; },
     Expect::ApplicationError},
    {"allocation fails in the payload", false, [](InjectedFaults& f) { f.allocationFailsAfter = 500000; },
     Expect::ApplicationError},
    {"allocation fails in the payload while decoding", true,
     [](InjectedFaults& f) { f.allocationFailsAfter = 500000; }, Expect::ApplicationError},
    {"thread start fails in the header", false, [](InjectedFaults& f) { f.threadStartFailsAfter = 0; },
     Expect::ApplicationError},
    {"thread start fails in the payload", false, [](InjectedFaults& f) { f.threadStartFailsAfter = 600000; },
     Expect::ApplicationError},
    {"thread start fails while decoding", true, [](InjectedFaults& f) { f.threadStartFailsAfter = 600000; },
     Expect::ApplicationError},
};

class JobFault : public JobTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(JobFault, StopsCleanly) {
    const FaultCase& fault = GetParam();
    std::string source = MakeSource("report.pdf", kMiB + 50);
    std::string expectedOutput = OutputIn(out, "report.~mq");
    if (fault.decode) {
        source = EncodeToOut(source);
        const std::string containerFolder = temp.MakeFolder("containers");
        std::filesystem::rename(std::filesystem::path(source), std::filesystem::path(containerFolder + "/report.~mq"));
        source = containerFolder + "/report.~mq";
        expectedOutput = OutputIn(out, "report.pdf");
    }
    const Bytes sourceBefore = ReadBytes(source);
    platform.createdPaths.clear();
    fault.inject(platform.faults);

    const std::uint32_t result = (fault.decode ? Decode(source) : Encode(source));

    const bool injected = fault.message == Expect::InjectedError || fault.message == Expect::InjectedErrorAndLeftover;
    ASSERT_EQ(platform.raisedErrors.size(), injected ? 1u : 0u);
    std::string message;
    switch (fault.message) {
    case Expect::InjectedError: message = platform.raisedErrors.front(); break;
    case Expect::CreationRefused: message = "Unable to create file " + expectedOutput; break;
    case Expect::ApplicationError: message = "Application Error. - Unable to process."; break;
    case Expect::SourceChanged: message = "The file \"" + source + "\" changed while it was being read."; break;
    case Expect::SourceNotChecked:
        message = "The file \"" + source + "\" could not be checked after it was read.";
        break;
    case Expect::InjectedErrorAndLeftover:
        message = platform.raisedErrors.front() + "\nUnable to remove file " + expectedOutput + ".left-over";
        break;
    }
    ExpectStoppedWith(result, message);
    EXPECT_TRUE(ListNames(out).empty()) << "no partial output";
    EXPECT_EQ(platform.discardedPaths, platform.createdPaths) << "whatever was created is removed";
    EXPECT_EQ(ReadBytes(source), sourceBefore);
    ASSERT_GE(host.Calls().size(), 2u);
    EXPECT_EQ(host.Calls()[0], "busy 1");
    EXPECT_EQ(host.Calls()[1], "enable 0") << "every fault here comes after the checks";
}

INSTANTIATE_TEST_SUITE_P(Seam, JobFault, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

using JobError = JobTest;

// A close that fails once the output has its name (as a network file system
// reports a delayed write error), while another file was moved to that name
// meanwhile: the job fails with the close's error, and the other file is
// neither removed nor changed.
TEST_F(JobError, CloseFailingAfterPublicationLeavesTheFileThatTookTheName) {
    platform.faults.closeFails = true;
    platform.faults.nameTakenOverBeforeCloseFails = true;
    const std::string source = MakeSource("report.pdf", kMiB + 50);
    const std::string output = OutputIn(out, "report.~mq");

    const std::uint32_t result = Encode(source);

    ASSERT_EQ(platform.raisedErrors.size(), 1u);
    ExpectStoppedWith(result, platform.raisedErrors.front() + "\nThe file \"" + output +
                                  "\" was left as it is: another file has taken its name.");
    EXPECT_EQ(platform.publishedPaths, std::vector<std::string>{output});
    EXPECT_EQ(ListNames(out), std::vector<std::string>{"report.~mq"}) << "no temporary either";
    const std::string other = kTakenOverText;
    EXPECT_EQ(ReadBytes(output), Bytes(other.begin(), other.end()));
}

// The same failed close with the name still holding the output: the output
// is removed, as for any failed job.
TEST_F(JobError, CloseFailingAfterPublicationRemovesTheOutputItself) {
    platform.faults.closeFails = true;
    const std::uint32_t result = Encode(MakeSource("report.pdf", kMiB + 50));
    ASSERT_EQ(platform.raisedErrors.size(), 1u);
    ExpectStoppedWith(result, platform.raisedErrors.front());
    EXPECT_EQ(platform.publishedPaths, std::vector<std::string>{OutputIn(out, "report.~mq")});
    EXPECT_TRUE(ListNames(out).empty());
}

// An error before the job has any output (opening the source) ends it the
// same way: a message, the host handed back, nothing left.
TEST_F(JobError, AllocationFailureWhileOpeningTheSource) {
    platform.faults.openAllocationFails = true;
    const std::uint32_t result = Encode(MakeSource("report.pdf", kMiB));
    EXPECT_EQ(result, kJobStopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Application Error. - Unable to process."});
    EXPECT_EQ(host.Trace(), "busy 1, message, busy 0, enable 1");
    EXPECT_TRUE(ListNames(out).empty());
}

}  // namespace
}  // namespace morvane::test
