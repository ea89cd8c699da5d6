#include "console_job_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>

namespace morvane::cli {
namespace {

std::size_t CountDraws(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\r["); at != std::string::npos; at = text.find("\r[", at + 1))
        ++count;
    return count;
}

// Runs the calls the job frame makes for a job of `blocks` reported blocks
// over a range of `upper`.
void RunJob(ConsoleJobHost& host, std::uint32_t upper, std::uint32_t blocks) {
    host.SetBusy(true);
    host.EnableJobControls(false);
    host.SetProgressRange(upper);
    host.SetProgressStep(1);
    for (std::uint32_t block = 1; block <= blocks; ++block) host.SetProgressPos(block);
}

TEST(ConsoleJobHost, HasAWindowSoJobsRun) {
    std::ostringstream out, err;
    EXPECT_TRUE(ConsoleJobHost(out, err, false).HasWindow());
}

TEST(ConsoleJobHost, CancelledOnceInterrupted) {
    std::ostringstream out, err;
    EXPECT_FALSE(ConsoleJobHost(out, err, false).Cancelled());
    std::atomic<int> interrupt{0};
    const ConsoleJobHost host(out, err, false, &interrupt);
    EXPECT_FALSE(host.Cancelled());
    interrupt = 130;
    EXPECT_TRUE(host.Cancelled());
}

TEST(ConsoleJobHost, MessageGoesToStderrVerbatimWithLineFeed) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, false);
    host.ShowMessage("Inavalid encoded file \"x\" .\nPlease select a valid encoded file.");
    EXPECT_EQ(err.str(), "Inavalid encoded file \"x\" .\nPlease select a valid encoded file.\n");
    EXPECT_EQ(out.str(), "");
}

// A temporary that could not be removed is said on stderr; the output is
// still printed, as written.
TEST(ConsoleJobHost, WrittenPathGoesToStdoutOnItsOwnLine) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, false);
    host.OutputWritten("out/a (2).~mq", "");
    host.OutputWritten("out/b.~mq", "out/.b.~mq.a1b2c3.~mq-part");
    EXPECT_EQ(out.str(), "out/a (2).~mq\nout/b.~mq\n");
    EXPECT_EQ(err.str(), "The temporary file \"out/.b.~mq.a1b2c3.~mq-part\" could not be removed.\n");
}

TEST(ConsoleJobHost, WithoutTerminalNoProgressIsWritten) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, false);
    RunJob(host, 256, 257);
    host.SetBusy(false);
    host.EnableJobControls(true);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "");
}

struct RedrawCase {
    const char* name;
    std::uint32_t upper;
    std::uint32_t blocks;
    std::size_t draws;  // including the 0% drawn when the range is set
    const char* last;
};

class ConsoleJobHostRedrawTest : public ::testing::TestWithParam<RedrawCase> {};

TEST_P(ConsoleJobHostRedrawTest, RedrawsOnlyWhenPercentageChanges) {
    const RedrawCase& c = GetParam();
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, true);
    RunJob(host, c.upper, c.blocks);
    const std::string drawn = err.str();
    EXPECT_EQ(CountDraws(drawn), c.draws);
    if (c.draws == 0) {
        EXPECT_EQ(drawn, "");
        return;
    }
    EXPECT_EQ(drawn.substr(drawn.size() - 4), c.last);
}

const RedrawCase kRedrawCases[] = {
    // 1 MiB plus a partial block: the last report goes one past the range.
    {"OneMebibyteAndABit", 256, 257, 101, "100%"},
    // 1 GiB: 262144 reports, still at most 101 draws.
    {"OneGibibyte", 262144, 262144, 101, "100%"},
    {"HalfWay", 1000, 500, 51, " 50%"},
    // A stream's length is unknown: no bar at all.
    {"UnknownLength", 0, 300, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, ConsoleJobHostRedrawTest, ::testing::ValuesIn(kRedrawCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConsoleJobHost, BarIsClearedBeforeAMessage) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, true);
    RunJob(host, 256, 100);
    host.ShowMessage("Disk space is not available.");
    const std::string text = err.str();
    const std::string ending = "\r" + std::string(47, ' ') + "\rDisk space is not available.\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST(ConsoleJobHost, BarIsClearedOnceWhenJobEnds) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, true);
    RunJob(host, 256, 257);
    host.OutputWritten("out/a.~mq", "");
    const std::string afterOutput = err.str();
    host.SetBusy(false);
    host.EnableJobControls(true);
    // Cleared for the path on stdout; the job's end adds nothing more.
    EXPECT_EQ(afterOutput.substr(afterOutput.size() - 49), "\r" + std::string(47, ' ') + "\r");
    EXPECT_EQ(err.str(), afterOutput);
    EXPECT_EQ(out.str(), "out/a.~mq\n");
}

TEST(ConsoleJobHost, NextJobStartsAFreshBar) {
    std::ostringstream out, err;
    ConsoleJobHost host(out, err, true);
    RunJob(host, 256, 257);
    host.SetBusy(false);
    err.str("");
    RunJob(host, 256, 128);
    EXPECT_EQ(CountDraws(err.str()), 51u);
}

}  // namespace
}  // namespace morvane::cli
