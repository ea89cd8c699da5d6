// The queue's course and what it says: one table row per course, from its
// items and their ends to the summary and what Show in Folder selects.
#include "job_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "memory_platform.h"

namespace {

using morvane::ui::JobQueue;

struct Course {
    const char* folders;   // one item per letter x, its output "/x/<n>"; '-': the root
    const char* ends;      // W written, F failed, S stopped, N: No after a failure
    const char* summary;   // with decode for items whose folder letter is 'd'
    const char* selected;  // the numbers of the items whose outputs are selected
    const char* each = nullptr;  // what each file became; null: not checked
};

TEST(JobQueueTest, SummaryAndSelectionOfEachCourse) {
    const Course courses[] = {
        {"o", "W", "", "1", ""},
        {"o", "F", "", "", ""},
        {"ooooo", "WWWWW", "Encoded 5 files into \"/o\"", "12345"},
        {"dd", "WW", "Decoded 2 files into \"/d\"", "12"},
        {"od", "WW", "Encoded and decoded 2 files into 2 folders", "2", "1: \"/o/1\"\n2: \"/d/2\""},
        {"ooooo", "WFWWW", "Encoded 4 of 5 files into \"/o\"; 1 failed", "1345"},
        {"ooooo", "WFN", "Encoded 1 of 5 files into \"/o\"; 1 failed, 3 not started", "1",
         "1: \"/o/1\"\n2: failed\n3: not started\n4: not started\n5: not started"},
        {"dd", "FF", "Decoded 0 of 2 files; 2 failed", "", "1: failed\n2: failed"},
        {"ooooo", "WWS", "Stopped after 2 of 5 files; nothing was written for the rest.", "12"},
        {"oo", "S", "Stopped after 0 of 2 files; nothing was written for the rest.", "", "1: stopped\n2: not started"},
        {"abab", "WWWW", "Encoded 4 files into 2 folders", "24"},
        {"--", "WW", "Encoded 2 files into \"/\"", "12", "1: \"/1\"\n2: \"/2\""},
        {"ooo", "WW", "", "12", ""},
    };
    morvane::fuzz::MemoryPlatform platform({});
    for (const Course& course : courses) {
        const std::string folders = course.folders;
        const auto output = [&folders](std::size_t i) {
            return (folders[i] == '-' ? std::string() : std::string("/") + folders[i]) + "/" + std::to_string(i + 1);
        };
        JobQueue queue(platform);
        for (std::size_t i = 0; i < folders.size(); ++i)
            queue.Append({"/in/" + std::to_string(i + 1), folders[i] == 'd', "/x"});
        for (std::size_t i = 0; course.ends[i] != '\0'; ++i) {
            if (course.ends[i] == 'W') queue.RecordWritten(output(i));
            if (course.ends[i] == 'F') queue.RecordFailed();
            if (course.ends[i] == 'S') queue.RecordStopped();
            if (course.ends[i] == 'N') queue.DropWaiting();
        }
        EXPECT_EQ(queue.SummaryText(), course.summary) << course.folders << " " << course.ends;
        std::vector<std::string> selected;
        for (const char* n = course.selected; *n != '\0'; ++n) selected.push_back(output(*n - '1'));
        const morvane::ui::FolderSelection selection = queue.ShowInFolderSelection();
        EXPECT_EQ(selection.outputs, selected) << course.folders << " " << course.ends;
        EXPECT_EQ(selection.folder, selected.empty() ? "" : morvane::ui::FolderOfPath(platform, selected.back()));
        if (course.each != nullptr) {
            EXPECT_EQ(queue.EachFileText(), course.each) << course.folders << " " << course.ends;
        }
    }
}

// The list of what each file became stops at 30 files, or before a tip too
// long to keep, and says how many it left out.
TEST(JobQueueTest, EachFileListIsBounded) {
    struct Row {
        std::size_t files;
        std::size_t padding;  // 'x's before each file's number
        std::size_t lines;
        const char* last;
    };
    const Row rows[] = {
        {30, 0, 30, "30: failed"},
        {31, 0, 31, "and 1 more"},
        {3, 600, 2, "and 2 more"},
        {2, 2000, 2, "and 1 more"},  // one file is always named
    };
    morvane::fuzz::MemoryPlatform platform({});
    for (const Row& row : rows) {
        JobQueue queue(platform);
        for (std::size_t i = 1; i <= row.files; ++i)
            queue.Append({"/in/" + std::string(row.padding, 'x') + std::to_string(i), false, "/o"});
        for (std::size_t i = 0; i < row.files; ++i) queue.RecordFailed();
        const std::string text = queue.EachFileText();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n') + 1, static_cast<std::ptrdiff_t>(row.lines)) << row.files;
        EXPECT_EQ(text.substr(text.rfind('\n') + 1), row.last) << row.files;
    }
}

// A queue of three, the third joining while the first runs.
TEST(JobQueueTest, TextsAlongTheWay) {
    morvane::fuzz::MemoryPlatform platform({});
    JobQueue queue(platform);
    queue.Append({"/in/a", false, "/o"});
    EXPECT_EQ(queue.ProgressPrefix() + queue.ActionText(), "");
    queue.Append({"/in/b", false, "/o"});
    EXPECT_EQ(queue.ActionText(), "Encode 2 files");
    queue.Append({"/in/c", false, "/o"});
    EXPECT_EQ(queue.ProgressPrefix(), "File 1 of 3: ");
    // Asked while the first one's failure shows, before it is recorded.
    EXPECT_EQ(queue.QuestionOnFailure(), "Continue with the remaining 2 files?");
    queue.TargetWaiting("/t");
    EXPECT_EQ(queue.Current()->folder, "/t");

    queue.RecordFailed();
    EXPECT_TRUE(queue.AsksToContinue());
    EXPECT_EQ(queue.ContinueQuestion(), "Continue with the remaining 2 files?");
    EXPECT_EQ(queue.Current()->source, "/in/b");
    EXPECT_EQ(queue.ProgressPrefix(), "File 2 of 3: ");
    queue.RecordWritten("/o/b");
    EXPECT_FALSE(queue.AsksToContinue());
    EXPECT_EQ(queue.QuestionOnFailure(), "");
    // The last one failed: nothing is left to ask about.
    queue.RecordFailed();
    EXPECT_FALSE(queue.AsksToContinue());
    EXPECT_EQ(queue.Current(), nullptr);
    // An end with no item running changes nothing.
    queue.RecordWritten("/o/x");
    EXPECT_EQ(queue.SummaryText(), "Encoded 1 of 3 files into \"/o\"; 2 failed");

    // Files that come after the end begin a new run.
    queue.Append({"/in/d", true, "/o"});
    queue.Append({"/in/e", true, "/o"});
    EXPECT_EQ(queue.ActionText(), "Decode 2 files");
    EXPECT_EQ(queue.ProgressPrefix(), "File 1 of 2: ");
}

TEST(JobQueueTest, FolderOfAPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"/o/a", "/o"}, {"/a", "/"}, {"C:/a", "C:/"}, {"//server/share/a", "//server/share"}, {"a", ""}, {"", ""},
    };
    morvane::fuzz::MemoryPlatform platform({});
    for (const auto& [path, folder] : cases) EXPECT_EQ(morvane::ui::FolderOfPath(platform, path), folder) << path;
}

}  // namespace
