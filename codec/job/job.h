// Starting a job: the typed entry that runs the one job frame, the request a
// host hands to a worker thread, and the two thread entries.
#pragma once

#include <cstdint>
#include <string>

#include "job_host.h"
#include "platform.h"

namespace morvane {

// Carries one job from its host to the worker. The worker owns it from the
// start and deletes it before it returns. The paths are copies taken when
// the job starts, so the host's fields may change meanwhile.
struct JobRequest {
    JobHost* host = nullptr;
    std::uint32_t reserved = 0;
    std::string sourcePath;
    std::string targetFolder;
    Platform* platform = nullptr;  // null: the system's
};

// Results of a job (the worker thread's exit code).
enum JobResult : std::uint32_t {
    kJobDone = 0,
    kJobStopped = 1,
    // The output is complete under its name, but it could not be put on
    // the disk, or the source asked to be removed was kept: said.
    kJobSourceKept = 2,
    // Writing to the standard output failed (its reader went away, a full
    // disk): nothing more can be written there.
    kJobOutputStreamFailed = 3,
    kJobNoRequest = 1001,
    kJobNoHost = 1002,
};

enum class JobKind { Encode, Decode };

// Where a job puts its output.
enum class JobOutput {
    Folder,          // under a free name in the folder
    ExactFile,       // under exactly the name given, never replacing a file
    StandardOutput,  // on the standard output, as it is made
};

// One job of the command-line tool, which has more ways than the dialog.
struct JobOrder {
    JobKind kind = JobKind::Encode;
    // The source's path; ignored when `sourceIsStream`.
    std::string sourcePath;
    // The source is the standard input; its messages name it
    // kStandardInputText.
    bool sourceIsStream = false;
    JobOutput output = JobOutput::Folder;
    // The folder, or the exact file; unused for the standard output.
    std::string outputPath;
    // The extension stored when a stream is encoded; none: the one stored
    // for a file without extension.
    std::string streamExtension;
    // The output and its folder entry are put on the disk before the job
    // says it is done.
    bool syncOutput = false;
    // Once the output is on the disk, the source file is removed, unless
    // it changed since it was read. Implies syncOutput.
    bool removeSource = false;
};

// Runs one job on the calling thread and returns a JobResult. Nothing
// escapes it: every error ends the job with a message, no output left and
// the host handed back.
std::uint32_t RunJob(JobKind kind, const std::string& sourcePath, const std::string& targetFolder, JobHost& host,
                     Platform& platform);
// The same for a job with a stream, an exact output, syncing or removal.
std::uint32_t RunJob(const JobOrder& job, JobHost& host, Platform& platform);

// Thread entries: take a heap-allocated JobRequest, delete it, and return
// RunJob's result (or kJobNoRequest, kJobNoHost). Only thread starters need
// them; everything else calls RunJob.
std::uint32_t EncodeThreadProc(void* request);
std::uint32_t DecodeThreadProc(void* request);

}  // namespace morvane
