// The job host: what a running job drives besides the file system. The
// dialog's job relay implements it, so do the command-line tool and the tests.
#pragma once

#include <cstdint>
#include <string>

namespace morvane {

class JobHost {
public:
    virtual ~JobHost() = default;

    // A host without a window refuses every job (result 1002).
    virtual bool HasWindow() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // Disables the path fields, the browse buttons and the action button
    // while data is transformed, and turns Close into Stop; undoes it at the
    // end.
    virtual void EnableJobControls(bool enable) = 0;
    virtual void SetProgressRange(std::uint32_t upper) = 0;
    virtual void SetProgressStep(std::uint32_t step) = 0;
    virtual void SetProgressPos(std::uint32_t position) = 0;
    // A modal message; returns once the user has read it.
    virtual void ShowMessage(const std::string& text) = 0;
    // Called once the output has been written and closed under `path`.
    // `temporaryNotRemoved`, when not empty, is its temporary name, which
    // could not be removed: a second full-size copy the user should know of.
    virtual void OutputWritten(const std::string& /*path*/, const std::string& /*temporaryNotRemoved*/) {}
    // Called when a job that failed could not remove its unfinished output,
    // still at `path`, before the message that says why it failed.
    virtual void OutputNotRemoved(const std::string& /*path*/) {}
    // True once the host wants the job stopped (its window has gone, an
    // interrupt came). Asked after the checks, before the output is created,
    // every few blocks while the payload is copied, and once more right
    // before the output is named: a cancelled job stops without output and
    // without a message (result 1). One that came after the name was given
    // stops nothing: that job has succeeded. May be asked from the worker
    // thread while another thread sets it.
    virtual bool Cancelled() const { return false; }
};

}  // namespace morvane
