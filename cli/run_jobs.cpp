#include "run_jobs.h"

#include "job.h"
#include "path_exists.h"

namespace morvane::cli {
namespace {

bool RunOne(const CommandLine& command, const std::string& source, JobHost& host, Platform& platform) {
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
    for (const std::string& source : command.sources) {
        if (host.Cancelled()) return kExitJobFailed;
        allDone = RunOne(command, source, host, platform) && allDone;
    }
    return allDone ? kExitAllDone : kExitJobFailed;
}

int FinishRun(int workStatus, int interruptStatus, std::ostream& out, std::ostream& err) {
    out.flush();
    int status = workStatus;
    if (!out) {
        err << "morvane-cli: unable to write to standard output\n";
        if (status == kExitAllDone) status = kExitJobFailed;
    }
    if (interruptStatus != 0) {
        err << "morvane-cli: interrupted\n";
        status = interruptStatus;
    }
    err.flush();
    return status;
}

}  // namespace morvane::cli
