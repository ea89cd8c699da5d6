// The result line's account of a job, event by event: the progress at most
// twice a second, a stop or a failure that holds the line until the end, and
// the end told from the job's outcome.
#include "job_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace morvane {
namespace {

using Kind = JobOutcome::Kind;

// 100 blocks of 4096 bytes.
constexpr std::uint32_t kBlocks = 100;
const char kAt0[] = "Encoding \"a.bin\": 0% of 400 KB";

TEST(JobReportTest, EventsGiveTheLine) {
    const struct {
        const char* name;
        std::function<void(JobReport&)> events;  // after Started(encode, "a.bin")
        std::string line;
    } cases[] = {
        {"started", [](JobReport&) {}, "Encoding \"a.bin\"..."},
        {"range shows at once", [](JobReport& r) { r.RangeSet(kBlocks, 7000); }, kAt0},
        {"a position within half a second waits",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 1000);
             r.PositionReached(10, 1499);
         },
         kAt0},
        {"a position half a second on shows",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 1000);
             r.PositionReached(10, 1500);
         },
         "Encoding \"a.bin\": 10% of 400 KB"},
        {"a tick moves the speed on with the position kept",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 0);
             r.PositionReached(50, 400);
             r.Tick(2000);
         },
         "Encoding \"a.bin\": 50% of 400 KB, 100 KB/s, 2 s left"},
        {"a stop holds the line",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 0);
             r.StopRequested();
             r.PositionReached(90, 5000);
         },
         "Stopping..."},
        {"a failure says so at once and holds the line",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 0);
             r.FailureShown();
             r.Tick(5000);
         },
         "Encoding failed; nothing was written."},
        {"a failure that left its output",
         [](JobReport& r) {
             r.OutputLeft();
             r.FailureShown();
         },
         "Encoding failed; its partial output could not be removed."},
        {"an ended job's late tick changes nothing",
         [](JobReport& r) {
             r.RangeSet(kBlocks, 0);
             r.Ended({Kind::Stopped, {}, {}});
             r.Tick(5000);
         },
         "Stopped; nothing was written."},
        {"the outcome decides the end, not the events",
         [](JobReport& r) {
             r.StopRequested();
             r.Ended({Kind::Written, "C:\\out\\a.~mq", ""});
         },
         "Encoded into \"C:\\out\\a.~mq\""},
        {"a prefix comes before a running job's texts",
         [](JobReport& r) {
             r.SetPrefix("File 2 of 5: ");
             r.Started(true, "a.bin");
             r.RangeSet(kBlocks, 0);
         },
         "File 2 of 5: Encoding \"a.bin\": 0% of 400 KB"},
    };
    for (const auto& c : cases) {
        JobReport report;
        report.Started(true, "a.bin");
        c.events(report);
        EXPECT_EQ(report.Line(), c.line) << c.name;
    }
}

// What a job's end is, told from its events alone (the dialog has only
// them once its job was let go at the end of the session).
TEST(JobReportTest, OutcomeFromTheEvents) {
    const struct {
        const char* name;
        std::function<void(JobReport&)> events;
        Kind kind;
    } cases[] = {
        {"nothing told", [](JobReport&) {}, Kind::Failed},
        {"stopped", [](JobReport& r) { r.StopRequested(); }, Kind::Stopped},
        {"stopped, then failed",
         [](JobReport& r) {
             r.StopRequested();
             r.FailureShown();
         },
         Kind::Failed},
        {"output left", [](JobReport& r) { r.OutputLeft(); }, Kind::FailedOutputLeft},
        {"written though a stop came late",
         [](JobReport& r) {
             r.Written("C:\\out\\a.~mq", "");
             r.StopRequested();
         },
         Kind::Written},
    };
    for (const auto& c : cases) {
        JobReport report;
        report.Started(false, "a.~mq");
        c.events(report);
        EXPECT_EQ(report.Outcome().kind, c.kind) << c.name;
    }
}

TEST(JobReportTest, ARefusedPressSaysNothingWasWritten) {
    JobReport report;
    report.Refused(false);
    EXPECT_EQ(report.Line(), "Decoding failed; nothing was written.");
    EXPECT_FALSE(report.Running());
}

}  // namespace
}  // namespace morvane
