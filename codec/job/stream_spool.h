// A stream copied to a scratch file, so that its length is known before
// anything of it is encoded.
#pragma once

#include <memory>
#include <string>

#include "job_host.h"
#include "platform.h"

namespace morvane {

struct SpoolResult {
    // The copy, rewound to its start; null when the copy failed or the
    // host stopped it.
    std::unique_ptr<File> file;
    // Why it failed; empty when it succeeded or was stopped.
    std::string message;
};

// Copies all `stream` holds into a scratch file of `platform`, asking the
// host every few blocks whether to stop.
SpoolResult SpoolStream(File& stream, Platform& platform, JobHost& host);

}  // namespace morvane
