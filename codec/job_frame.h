// The one frame both jobs run: checks, free-space rule, progress, output
// name search, block loop, file errors and clean-up. A job supplies only
// the four steps of its own through JobSteps.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "container_format.h"
#include "job.h"

namespace morvane {

// What a job's own steps may use while the frame runs them.
struct JobContext {
    JobHost& host;
    Platform& platform;
    const std::string& sourcePath;
    const PathParts& sourceParts;
    std::int64_t sourceLength;
};

class JobSteps {
public:
    virtual ~JobSteps() = default;
    // Inspects the open source before any output exists. Returns false
    // after it has shown the message that stops the job.
    virtual bool InspectSource(File& source, JobContext& context) = 0;
    // The output's first name, and its numbered names (counter 2, 3, ...).
    virtual std::string FirstName(const PathParts& source) const = 0;
    virtual std::string NumberedName(const PathParts& source, int counter) const = 0;
    // Writes what precedes the payload into the new output.
    virtual void WriteBeforePayload(File& output, JobContext& context) = 0;
    // The table the block loop applies to every byte.
    virtual const StoredKey& Table() const = 0;
};

// Runs one job for `request` (a JobRequest*, owned and deleted here).
std::uint32_t RunJobFrame(void* request, JobSteps& steps);

// Limits of an accepted source.
inline constexpr std::int64_t kMinimumSourceLength = 0x100000;       // 1 MiB
inline constexpr std::uint64_t kFreeSpaceMargin = 0x100000;          // 1 MiB
// Above it, length + margin would overflow the free-space comparison.
inline constexpr std::int64_t kGreatestSourceLength =
    std::numeric_limits<std::int64_t>::max() - static_cast<std::int64_t>(kFreeSpaceMargin);
inline constexpr std::size_t kFileErrorTextLimit = 1023;

// The message that refuses a source of `length` bytes (-1: unknown) before
// anything is read from it; empty when the length is acceptable.
std::string SourceLengthRefusal(std::int64_t length);

}  // namespace morvane
