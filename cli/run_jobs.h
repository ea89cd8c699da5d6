// Runs one job per source, in order, the way the dialog starts each one.
#pragma once

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
// output, else kExitJobFailed; a failing source does not stop the others.
int RunJobs(const CommandLine& command, JobHost& host, Platform& platform);

}  // namespace morvane::cli
