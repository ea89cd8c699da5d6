// What the result line says of the latest job, told event by event: which
// file it encodes or decodes and how far it is, then what it wrote or that
// it wrote nothing. Plain text, no window and no clock: an event that
// depends on time is given the caller's time, in milliseconds of a steady
// clock.
#pragma once

#include <cstdint>
#include <string>

namespace morvane {

// What became of a job, as its host learns it by its end.
struct JobOutcome {
    enum class Kind {
        Written,           // the output has its name
        Failed,            // a message said why; nothing was written
        FailedOutputLeft,  // ... and its unfinished output could not be removed
        Stopped,           // the user stopped it; nothing was written
    };
    Kind kind = Kind::Failed;
    std::string path;                 // Written: the output
    std::string temporaryNotRemoved;  // Written: its temporary, which could not be removed
};

class JobReport {
public:
    // Put before the texts of a running job ("File 2 of 5: "); empty: none.
    void SetPrefix(std::string prefix) { m_prefix = std::move(prefix); }
    // No job to tell of: the line is empty.
    void Clear();
    // A line of its own, not a job's (what a drop left out).
    void SetLine(std::string text);
    // A press refused before any job started (a path that does not exist).
    void Refused(bool encode);
    void Started(bool encode, std::string fileName);
    // The job begins to transform `blocks` blocks: shown at once.
    void RangeSet(std::uint32_t blocks, std::uint64_t nowMs);
    // The job reached block `position`: shown unless the line showed the
    // progress less than half a second before.
    void PositionReached(std::uint32_t position, std::uint64_t nowMs);
    // Time passed with the position standing: the speed and the time left
    // move on, at the same pace.
    void Tick(std::uint64_t nowMs) { PositionReached(m_nPosition, nowMs); }
    void StopRequested();
    void Written(const std::string& path, const std::string& temporaryNotRemoved);
    // Its unfinished output stayed; the failure's message follows.
    void OutputLeft() { m_bOutputLeft = true; }
    // The job shows why it failed: the line says at once what became of
    // the output.
    void FailureShown();
    void Ended(const JobOutcome& outcome);

    // The job's outcome as the events so far tell it.
    JobOutcome Outcome() const;
    bool Running() const { return m_bRunning; }
    const std::string& Line() const { return m_line; }

private:
    void ShowEnd(const JobOutcome& outcome);

    std::string m_prefix;
    std::string m_line;
    bool m_bRunning = false;
    bool m_bEncode = true;
    std::string m_fileName;
    std::uint32_t m_nBlocks = 0;
    std::uint32_t m_nPosition = 0;
    std::uint64_t m_nStartMs = 0;  // when the data began to be transformed
    std::uint64_t m_nLineMs = 0;   // when the line last showed the progress
    bool m_bStopRequested = false;
    bool m_bFailed = false;
    bool m_bOutputLeft = false;
    std::string m_writtenPath;
    std::string m_writtenTemporary;
};

}  // namespace morvane
