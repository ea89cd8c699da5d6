// What a running job shows through its relay: the dialog's side of a job.
// Each call arrives on the dialog's thread, in the order the job made it.
#pragma once

#include <cstdint>
#include <string>

#include "job_report.h"

class IJobView {
public:
    virtual ~IJobView() = default;

    // The job begins (its checks) and, after JobEnded, is over.
    virtual void SetBusy(bool busy) = 0;
    // Off while the job transforms data: the path fields, the browse
    // buttons and the action button; Close turns into Stop.
    virtual void EnableJobControls(bool enable) = 0;
    virtual void SetProgressRange(std::uint32_t upper) = 0;
    virtual void SetProgressStep(std::uint32_t step) = 0;
    virtual void SetProgressPos(std::uint32_t position) = 0;
    // A failure's message; the job waits until the user has read it.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) = 0;
    // A failed job could not remove its unfinished output; its message follows.
    virtual void OutputNotRemoved(const std::string& path) = 0;
    // What became of the job, right before it is over (SetBusy(false)).
    virtual void JobEnded(const morvane::JobOutcome& outcome) = 0;
};
