#include "run_jobs.h"

#include <algorithm>

#include "job.h"
#include "path_exists.h"

namespace morvane::cli {
namespace {

JobOutput OutputOf(OutputMode mode) {
    switch (mode) {
    case OutputMode::StandardOutput:
        return JobOutput::StandardOutput;
    case OutputMode::ExactFile:
        return JobOutput::ExactFile;
    case OutputMode::Folder:
        break;
    }
    return JobOutput::Folder;
}

std::uint32_t RunOne(const CommandLine& command, const std::string& source, JobHost& host, Platform& platform) {
    JobOrder job;
    job.kind = command.action == Action::Encode ? JobKind::Encode : JobKind::Decode;
    job.sourceIsStream = source == kStandardInputName;
    job.sourcePath = source;
    job.output = OutputOf(command.output);
    job.outputPath = command.output == OutputMode::ExactFile ? command.outputFile : command.folder;
    job.streamExtension = command.storedExtension.value_or("");
    job.syncOutput = command.sync;
    job.removeSource = command.removeSources;
    if (!job.sourceIsStream && !PathExists(source)) {
        host.ShowMessage("File not exist.");
        return kJobStopped;
    }
    if (job.output == JobOutput::Folder && !PathExists(command.folder)) {
        host.ShowMessage("Folder does not exist.");
        return kJobStopped;
    }
    return RunJob(job, host, platform);
}

}  // namespace

int RunJobs(const CommandLine& command, JobHost& host, Platform& platform) {
    bool allDone = true;
    for (const std::string& source : command.sources) {
        if (host.Cancelled()) return kExitJobFailed;
        const std::uint32_t result = RunOne(command, source, host, platform);
        // A reader that went away takes no more: the run ends as a filter's.
        if (result == kJobOutputStreamFailed) return kExitJobFailed;
        allDone = result == kJobDone && allDone;
    }
    return allDone ? kExitAllDone : kExitJobFailed;
}

std::string TerminalRefusal(const CommandLine& command, bool outputIsTerminal, bool inputIsTerminal) {
    if (command.action != Action::Encode && command.action != Action::Decode) return {};
    if (command.output == OutputMode::StandardOutput && outputIsTerminal)
        return "standard output is a terminal: binary data is not written to it (redirect it, or give a FOLDER "
               "or -o FILE)";
    const bool readsInput =
        std::find(command.sources.begin(), command.sources.end(), kStandardInputName) != command.sources.end();
    if (readsInput && inputIsTerminal)
        return "standard input is a terminal: binary data is not read from it (redirect it from a file or a pipe)";
    return {};
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
