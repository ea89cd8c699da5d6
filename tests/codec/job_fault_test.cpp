// File-system faults injected through the platform seam: each stops the job
// with its message, leaves no output behind and the source untouched, and
// hands the controls back.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "job_test_fixture.h"

namespace morvane::test {
namespace {

enum class Expect { InjectedError, CreationRefused };

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

    ASSERT_EQ(platform.raisedErrors.size(), fault.message == Expect::InjectedError ? 1u : 0u);
    const std::string message = fault.message == Expect::InjectedError
                                    ? platform.raisedErrors.front()
                                    : "Unable to create file " + expectedOutput;
    ExpectStoppedWith(result, message);
    EXPECT_TRUE(ListNames(out).empty()) << "no partial output";
    EXPECT_EQ(platform.removedPaths, platform.createdPaths) << "whatever was created is removed";
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

using InjectedFault = JobTest;

TEST_F(InjectedFault, MessageNamesTheFileAndTheCause) {
    platform.faults.diskFullAfter = 4096;
    ASSERT_EQ(Encode(MakeSource("report.pdf", kMiB)), kJobStopped);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(OutputIn(out, "report.~mq")), std::string::npos) << host.Messages()[0];
    EXPECT_NE(host.Messages()[0].find("disk full"), std::string::npos);
}

}  // namespace
}  // namespace morvane::test
