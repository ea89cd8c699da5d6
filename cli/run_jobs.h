// Runs one job per source, in order, the way the dialog starts each one.
#pragma once

#include <ostream>

#include "command_line.h"
#include "job_host.h"
#include "platform.h"

namespace morvane::cli {

// Exit statuses of the tool.
inline constexpr int kExitAllDone = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitUsage = 2;

// For each source: the dialog's two existence checks, then the encode or
// decode job on this thread. Returns kExitAllDone when every job wrote its
// output, else kExitJobFailed; a failing source does not stop the others,
// a cancelled host does: the sources after it are not started.
int RunJobs(const CommandLine& command, JobHost& host, Platform& platform);

// The tool's exit status once its work is over. An interrupt (a non-zero
// `interruptStatus`) wins, after one line on `err`. Otherwise `out` is
// flushed and checked: written paths that were lost turn success into
// failure, with a line on `err` (a script must not take the run as whole).
int FinishRun(int workStatus, int interruptStatus, std::ostream& out, std::ostream& err);

}  // namespace morvane::cli
