#include "run_jobs.h"

#include "host_system.h"
#include "job.h"

namespace morvane::cli {
namespace {

bool RunOne(const CommandLine& command, const std::string& source, JobHost& host,
            Platform& platform) {
    if (!PathExists(source)) {
        host.ShowMessage("File not exist.");
        return false;
    }
    if (!PathExists(command.folder)) {
        host.ShowMessage("Folder does not exist.");
        return false;
    }
    const JobKind kind = command.action == Action::Encode ? JobKind::Encode : JobKind::Decode;
    return RunJob(kind, source, command.folder, host, platform) == kJobDone;
}

}  // namespace

int RunJobs(const CommandLine& command, JobHost& host, Platform& platform) {
    bool allDone = true;
    for (const std::string& source : command.sources)
        allDone = RunOne(command, source, host, platform) && allDone;
    return allDone ? kExitAllDone : kExitJobFailed;
}

}  // namespace morvane::cli
