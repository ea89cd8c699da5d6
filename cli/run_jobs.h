// Runs one job per source, in order, the way the dialog starts each one.
#pragma once

#include <ostream>
#include <string>

#include "command_line.h"
#include "job_host.h"
#include "platform.h"

namespace morvane::cli {

// Exit statuses of the tool.
inline constexpr int kExitAllDone = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitUsage = 2;

// For each source: the dialog's two existence checks (none for the
// standard input, no folder's for an exact output or the standard output),
// then the encode or decode job on this thread. Returns kExitAllDone when
// every job wrote its output (and removed its source, with --rm), else
// kExitJobFailed; a failing source does not stop the others, a cancelled
// host does, and so does a standard output that can no longer be written:
// the sources after it are not started.
int RunJobs(const CommandLine& command, JobHost& host, Platform& platform);

// The message that refuses binary data on a terminal: written to stdout
// with -c, or read from stdin as "-". Empty when the streams allow the run.
std::string TerminalRefusal(const CommandLine& command, bool outputIsTerminal, bool inputIsTerminal);

// The tool's exit status once its work is over. An interrupt (a non-zero
// `interruptStatus`) wins, after one line on `err`. Otherwise `out` is
// flushed and checked: written paths that were lost turn success into
// failure, with a line on `err` (a script must not take the run as whole).
int FinishRun(int workStatus, int interruptStatus, std::ostream& out, std::ostream& err);

}  // namespace morvane::cli
