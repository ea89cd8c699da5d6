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
    kJobNoRequest = 1001,
    kJobNoHost = 1002,
};

enum class JobKind { Encode, Decode };

// Runs one job on the calling thread and returns a JobResult. Nothing
// escapes it: every error ends the job with a message, no output left and
// the host handed back.
std::uint32_t RunJob(JobKind kind, const std::string& sourcePath, const std::string& targetFolder, JobHost& host,
                     Platform& platform);

// Thread entries: take a heap-allocated JobRequest, delete it, and return
// RunJob's result (or kJobNoRequest, kJobNoHost). Only thread starters need
// them; everything else calls RunJob.
std::uint32_t EncodeThreadProc(void* request);
std::uint32_t DecodeThreadProc(void* request);

}  // namespace morvane
