// Starting a job: the request a host hands to a worker, and the two thread
// entries that run the one job frame.
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

// Thread entries: take a heap-allocated JobRequest, delete it, and return
// a JobResult.
std::uint32_t EncodeThreadProc(void* request);
std::uint32_t DecodeThreadProc(void* request);

}  // namespace morvane
