// The one frame both jobs run: checks, free-space rule, progress, output
// name search, block loop, file errors and clean-up. A job supplies only
// the five steps of its own through JobSteps.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
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
    // Taken with the length when the job started; none where the platform
    // has no stamps.
    std::optional<FileStamp> sourceStamp;
    // The source is a stream: sourceLength is -1 and the payload's length
    // is known only once it ends.
    bool sourceIsStream = false;
};

class JobSteps {
public:
    virtual ~JobSteps() = default;
    // Inspects the open source before any output exists. Returns false
    // after it has shown the message that stops the job.
    virtual bool InspectSource(File& source, JobContext& context) = 0;
    // The output's extension; the frame puts the source's base name and any
    // number before it.
    virtual std::string OutputExtension() const = 0;
    // Bytes of payload the source holds after what InspectSource read; -1
    // for all a stream holds.
    virtual std::int64_t PayloadLength(const JobContext& context) const = 0;
    // Writes what precedes the payload into the new output.
    virtual void WriteBeforePayload(File& output, JobContext& context) = 0;
    // The table the block loop applies to every byte: the key when
    // encoding, its inverse when decoding.
    virtual const ByteTable& SubstitutionTable() const = 0;
    // Called once the payload, `copied` bytes, is in the output and before
    // the output is named: a stream's length is judged, and written into
    // the header, here. Raises FileError with the message that refuses it.
    virtual void PayloadCopied(OutputFile& /*output*/, JobContext& /*context*/, std::uint64_t /*copied*/) {}
};

// Each job's own steps.
std::unique_ptr<JobSteps> MakeEncodeSteps();
std::unique_ptr<JobSteps> MakeDecodeSteps();

// Limits of an accepted source.
inline constexpr std::int64_t kMinimumSourceLength = 0x100000;  // 1 MiB
inline constexpr std::uint64_t kFreeSpaceMargin = 0x100000;     // 1 MiB
// Above it, length + margin would overflow the free-space comparison.
inline constexpr std::int64_t kGreatestSourceLength =
    std::numeric_limits<std::int64_t>::max() - static_cast<std::int64_t>(kFreeSpaceMargin);
inline constexpr std::size_t kFileErrorTextLimit = 1023;
// The host is asked whether to stop once every this many blocks (64 KiB).
inline constexpr std::uint32_t kCancelCheckBlocks = 16;

// An error text cut to `limit` bytes: the path inside it is shortened
// before its cause, which comes last.
std::string FitErrorText(const std::string& text, std::size_t limit);
// The message a job shows for a file error: its text fitted to kFileErrorTextLimit.
std::string FileErrorMessage(const FileError& error);

// The message that refuses a source of `length` bytes (-1: unknown) before
// anything is read from it; empty when the length is acceptable.
std::string SourceLengthRefusal(std::int64_t length);

}  // namespace morvane
