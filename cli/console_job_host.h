// The job host of the command-line tool: messages to stderr, each written
// path to stdout, and a progress bar on stderr when that is a terminal.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

#include "job_host.h"

namespace morvane::cli {

// How the host writes what it prints.
struct ConsoleStyle {
    // False when the outputs themselves go to stdout: nothing else may.
    bool printPaths = true;
    // What ends each path: a line feed, or NUL for names that may hold one.
    char pathEnd = '\n';
    // Control characters in paths and messages become visible escapes, for
    // a stream that is a terminal.
    bool escapeOut = false;
    bool escapeErr = false;
};

class ConsoleJobHost final : public JobHost {
public:
    // `interrupt`, when given, is non-zero once the tool was interrupted.
    ConsoleJobHost(std::ostream& out, std::ostream& err, bool drawProgress, const std::atomic<int>* interrupt = nullptr,
                   ConsoleStyle style = {});

    bool HasWindow() const override { return true; }
    void SetBusy(bool busy) override;
    void EnableJobControls(bool /*enable*/) override {}
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t /*step*/) override {}
    // Called for every block: does nothing unless the percentage shown
    // changes. A range of 0 (a stream's unknown length) draws no bar.
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;
    // The path on stdout; a temporary that could not be removed on stderr.
    void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) override;
    // True once interrupted: the running job stops and no other starts.
    bool Cancelled() const override;

private:
    void DrawBar(int percent);
    void ClearBar();

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_drawProgress;
    const std::atomic<int>* m_interrupt;
    ConsoleStyle m_style;
    std::uint32_t m_upper = 0;
    int m_shownPercent = -1;  // -1: no bar on the line
};

}  // namespace morvane::cli
