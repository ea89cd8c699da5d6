// The queue's course and what it says: one table row per course, from its
// items and their ends to the summary and what Show in Folder selects.
#include "job_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_platform.h"

namespace {

using morvane::ui::JobQueue;

// One end per character: W written (output "<folder>/<n>.out", the folder
// given), F failed, S stopped, N dropped after a failure (No).
struct Course {
    const char* name;
    std::vector<std::string> folders;  // one item per folder; "" for the item's own
    bool decode;
    const char* ends;
    const char* summary;
    std::vector<std::string> selected;
};

void RunCourse(JobQueue& queue, const Course& course) {
    for (std::size_t i = 0; i < course.folders.size(); ++i)
        queue.Append({"/in/" + std::to_string(i + 1), course.decode, course.folders[i]});
    std::size_t item = 0;
    for (const char* end = course.ends; *end != '\0'; ++end, ++item) {
        const std::string output = course.folders[item] + "/" + std::to_string(item + 1) + ".out";
        if (*end == 'W') queue.RecordWritten(output);
        if (*end == 'F') queue.RecordFailed();
        if (*end == 'S') queue.RecordStopped();
        if (*end == 'N') queue.DropWaiting();
    }
}

TEST(JobQueueTest, SummaryAndSelectionOfEachCourse) {
    const Course courses[] = {
        {"one file adds nothing", {"/o"}, false, "W", "", {"/o/1.out"}},
        {"one file failed", {"/o"}, false, "F", "", {}},
        {"all written",
         {"/o", "/o", "/o", "/o", "/o"},
         false,
         "WWWWW",
         "Encoded 5 files into \"/o\"",
         {"/o/1.out", "/o/2.out", "/o/3.out", "/o/4.out", "/o/5.out"}},
        {"decoded", {"/o", "/o"}, true, "WW", "Decoded 2 files into \"/o\"", {"/o/1.out", "/o/2.out"}},
        {"one failed",
         {"/o", "/o", "/o", "/o", "/o"},
         false,
         "WFWWW",
         "Encoded 4 of 5 files into \"/o\"; 1 failed",
         {"/o/1.out", "/o/3.out", "/o/4.out", "/o/5.out"}},
        {"No after a failure",
         {"/o", "/o", "/o", "/o", "/o"},
         false,
         "WFN",
         "Encoded 1 of 5 files into \"/o\"; 1 failed, 3 not started",
         {"/o/1.out"}},
        {"all failed", {"/o", "/o"}, true, "FF", "Decoded 0 of 2 files; 2 failed", {}},
        {"stopped midway",
         {"/o", "/o", "/o", "/o", "/o"},
         false,
         "WWS",
         "Stopped after 2 of 5 files; nothing was written for the rest.",
         {"/o/1.out", "/o/2.out"}},
        {"stopped in the first",
         {"/o", "/o"},
         false,
         "S",
         "Stopped after 0 of 2 files; nothing was written for the rest.",
         {}},
        {"several folders: the last one's",
         {"/a", "/b", "/a", "/b"},
         false,
         "WWWW",
         "Encoded 4 files into 2 folders",
         {"/b/2.out", "/b/4.out"}},
        {"a root folder keeps its separator",
         {"", ""},
         false,
         "WW",
         "Encoded 2 files into \"/\"",
         {"/1.out", "/2.out"}},
        {"not ended yet", {"/o", "/o", "/o"}, false, "WW", "", {"/o/1.out", "/o/2.out"}},
    };
    morvane::fuzz::MemoryPlatform platform({});
    for (const Course& course : courses) {
        JobQueue queue(platform);
        RunCourse(queue, course);
        EXPECT_EQ(queue.SummaryText(), course.summary) << course.name;
        const morvane::ui::FolderSelection selection = queue.ShowInFolderSelection();
        EXPECT_EQ(selection.outputs, course.selected) << course.name;
        if (!course.selected.empty()) {
            EXPECT_EQ(selection.folder, morvane::ui::FolderOfPath(platform, course.selected.back())) << course.name;
        }
    }
}

// What the window shows at each step of a queue of three, one of which
// joins while the first runs.
TEST(JobQueueTest, TextsAlongTheWay) {
    morvane::fuzz::MemoryPlatform platform({});
    JobQueue queue(platform);
    queue.Append({"/in/a", false, "/o"});
    EXPECT_EQ(queue.ProgressPrefix(), "");
    EXPECT_EQ(queue.ActionText(), "");
    queue.Append({"/in/b", false, "/o"});
    EXPECT_EQ(queue.ActionText(), "Encode 2 files");
    EXPECT_EQ(queue.ProgressPrefix(), "File 1 of 2: ");
    queue.Append({"/in/c", false, "/o"});
    EXPECT_EQ(queue.ProgressPrefix(), "File 1 of 3: ");

    queue.RecordFailed();
    ASSERT_TRUE(queue.AsksToContinue());
    EXPECT_EQ(queue.ContinueQuestion(), "Continue with the remaining 2 files?");
    ASSERT_NE(queue.Current(), nullptr);
    EXPECT_EQ(queue.Current()->source, "/in/b");
    EXPECT_EQ(queue.ProgressPrefix(), "File 2 of 3: ");

    queue.RecordWritten("/o/b.out");
    EXPECT_FALSE(queue.AsksToContinue());
    EXPECT_EQ(queue.ActionText(), "");
    queue.RecordFailed();
    // The last item failed: nothing is left to ask about.
    EXPECT_FALSE(queue.AsksToContinue());
    EXPECT_TRUE(queue.Finished());
    EXPECT_EQ(queue.ProgressPrefix(), "");
    // An end with no item running changes nothing.
    queue.RecordWritten("/o/x.out");
    EXPECT_EQ(queue.SummaryText(), "Encoded 1 of 3 files into \"/o\"; 2 failed");

    queue.Clear();
    queue.Append({"/in/d", true, "/o"});
    queue.Append({"/in/e", true, "/o"});
    EXPECT_EQ(queue.ActionText(), "Decode 2 files");
}

TEST(JobQueueTest, FolderOfAPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"/o/a.out", "/o"}, {"/a.out", "/"}, {"C:/a.out", "C:/"}, {"//server/share/a", "//server/share"},
        {"a.out", ""},      {"", ""},
    };
    morvane::fuzz::MemoryPlatform platform({});
    for (const auto& [path, folder] : cases) EXPECT_EQ(morvane::ui::FolderOfPath(platform, path), folder) << path;
}

}  // namespace
