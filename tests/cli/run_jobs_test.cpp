#include "run_jobs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "platform.h"
#include "recording_job_host.h"

namespace morvane::cli {
namespace {

// Stands for a full disk or a closed pipe behind stdout: every write fails.
class RefusingBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

struct FinishCase {
    const char* name;
    int workStatus;
    int interruptStatus;
    bool stdoutLost;
    int expected;
    const char* stderrText;
};

class FinishRunTest : public ::testing::TestWithParam<FinishCase> {};

TEST_P(FinishRunTest, ExitStatusAndLastWords) {
    const FinishCase& c = GetParam();
    std::ostringstream working;
    RefusingBuffer refusing;
    std::ostream lost(&refusing);
    std::ostream& out = c.stdoutLost ? lost : working;
    out << "out/a.~mq\n";
    std::ostringstream err;
    EXPECT_EQ(FinishRun(c.workStatus, c.interruptStatus, out, err), c.expected);
    EXPECT_EQ(err.str(), c.stderrText);
}

constexpr const char* kLost = "morvane-cli: unable to write to standard output\n";
constexpr const char* kInterrupted = "morvane-cli: interrupted\n";

const FinishCase kFinishCases[] = {
    {"AllDone", kExitAllDone, 0, false, kExitAllDone, ""},
    {"JobFailed", kExitJobFailed, 0, false, kExitJobFailed, ""},
    {"StdoutLostTurnsSuccessIntoFailure", kExitAllDone, 0, true, kExitJobFailed, kLost},
    {"StdoutLostKeepsFailure", kExitJobFailed, 0, true, kExitJobFailed, kLost},
    {"InterruptWins", kExitJobFailed, 130, false, 130, kInterrupted},
    {"InterruptWinsOverLostStdout", kExitAllDone, 143, true, 143,
     "morvane-cli: unable to write to standard output\nmorvane-cli: interrupted\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FinishRunTest, ::testing::ValuesIn(kFinishCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunJobs, NoSourceStartsAfterAnInterrupt) {
    CommandLine command;
    command.action = Action::Encode;
    command.sources = {"no such file 1", "no such file 2"};
    command.folder = ".";

    test::RecordingJobHost running;
    EXPECT_EQ(RunJobs(command, running, SystemPlatform()), kExitJobFailed);
    EXPECT_EQ(running.Messages().size(), 2u);

    test::RecordingJobHost interrupted;
    interrupted.Cancel();
    EXPECT_EQ(RunJobs(command, interrupted, SystemPlatform()), kExitJobFailed);
    EXPECT_TRUE(interrupted.Messages().empty());
}

}  // namespace
}  // namespace morvane::cli
