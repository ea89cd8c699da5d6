// The files the window works through one after another: each with its mode
// and target folder, and how each ended. Decides only; the dialog runs each
// item as a job of its own and shows what this says. With one item every
// text here is empty, so a one-file job reads exactly as it always has.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform.h"

namespace morvane::ui {

struct QueueItem {
    std::string source;
    bool decode = false;
    std::string folder;  // where its output goes
    bool operator==(const QueueItem&) const = default;
};

// The folder a path lies in, as the folder field shows it: without a
// trailing separator unless it is a root ("C:\", "/"); empty when the path
// names no folder.
std::string FolderOfPath(const Platform& platform, const std::string& path);

// The outputs Show in Folder selects: files of one folder.
struct FolderSelection {
    std::string folder;                // empty when nothing was written
    std::vector<std::string> outputs;  // full paths, in the order written
};

class JobQueue {
public:
    // `platform` tells separators apart for the outputs' folders.
    explicit JobQueue(const Platform& platform) : m_platform(platform) {}

    // Adds an item at the end; one that arrives while the queue runs is
    // taken after the others. Once the queue has ended (all ended, or the
    // rest dropped), the item begins a new run instead.
    void Append(QueueItem item);
    // Forgets every item and every end, for a new set of files.
    void Clear();
    // Every item not yet ended goes into `folder` (the folder field, as it
    // reads when the waiting files are started).
    void TargetWaiting(const std::string& folder);

    // Every item of this run: ended, current, waiting and dropped.
    std::size_t Count() const { return m_entries.size(); }
    // The item to run now (the first that has not ended), or null when
    // none is left.
    const QueueItem* Current() const;
    // Items that have not ended: the current one and those after it.
    std::size_t Remaining() const;
    bool Finished() const { return Current() == nullptr; }

    // The current item's end. Each moves on to the next item.
    void RecordWritten(const std::string& outputPath);
    void RecordFailed();
    // Stop: the current item wrote nothing and the rest is dropped. A stop
    // that comes between two items is recorded on the next one.
    void RecordStopped();
    // No to the question after a failure: drops every remaining item.
    void DropWaiting();

    // After RecordFailed: whether the failure's box also asks to go on,
    // which it does only while items remain.
    bool AsksToContinue() const;
    // `Continue with the remaining 3 files?`
    std::string ContinueQuestion() const;
    // While the current item's failure shows, before it is recorded: the
    // same question about the items after it; empty when none waits.
    std::string QuestionOnFailure() const;
    // `File 2 of 5: `, put before the current job's own progress text.
    std::string ProgressPrefix() const;
    // The action button while several items remain: `Encode 5 files`.
    std::string ActionText() const;
    // The result line once the queue has ended: `Encoded 5 files into
    // "D:\out"`, `Encoded 4 of 5 files into "D:\out"; 1 failed`, `Stopped
    // after 2 of 5 files; nothing was written for the rest.`
    std::string SummaryText() const;
    // Every output written when they share a folder; else the last one's
    // folder and the outputs written into it.
    FolderSelection ShowInFolderSelection() const;
    // Once several items have ended: one line for each, its file name and
    // what it became (`b.pdf: "D:\out\b.~mq"`, `c.csv: failed`,
    // `stopped`, `not started`), lines joined by '\n'. Kept short enough to
    // read in one look: at most 30 lines and about 1,000 characters, then
    // `and 12 more`.
    std::string EachFileText() const;

private:
    enum class End { None, Written, Failed, Stopped, Dropped };
    struct Entry {
        QueueItem item;
        End end = End::None;
        std::string output;
    };
    void Record(End end, const std::string& output);
    std::size_t CountOf(End end) const;
    bool Several() const { return m_entries.size() > 1; }

    const Platform& m_platform;
    std::vector<Entry> m_entries;
    std::size_t m_next = 0;  // the first entry without an end
};

}  // namespace morvane::ui
