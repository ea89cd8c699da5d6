#include "job_frame.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

#include "block_copy.h"
#include "container_header.h"
#include "stream_spool.h"
#include "utf8.h"

namespace morvane {
namespace {

const char kApplicationError[] = "Application Error. - Unable to process.";

// Folder text as typed, with a separator added when it does not end in one.
std::string TargetPrefix(const std::string& folder, const Platform& platform) {
    if (!folder.empty() && platform.IsSeparator(folder.back())) return folder;
    return folder + platform.PreferredSeparator();
}

// The length and free-space checks; returns the message that refuses the
// job, or an empty string when it may go on.
std::string CheckSizes(std::int64_t length, Platform& platform, const std::string& targetFolder) {
    if (std::string refusal = SourceLengthRefusal(length); !refusal.empty()) return refusal;
    const auto freeSpace = platform.FreeSpace(targetFolder);
    if (!freeSpace) return "Application Error. - Unable to process the request.";
    if (!(static_cast<std::uint64_t>(length) + kFreeSpaceMargin < *freeSpace)) return "Disk space is not available.";
    return {};
}

// Shows a message from a clean-up path, where nothing more may escape.
void ShowQuietly(JobHost& host, const std::string& text) noexcept {
    try {
        host.ShowMessage(text);
    } catch (...) {
        // The job ends anyway.
    }
}

// The output's names in the order they are tried: "<base><ext>", then
// "<base> (2)<ext>", "<base> (3)<ext>", ..., each one skipped while a probe
// finds it taken. Each is fitted to the file system's name limit before any
// data is written, so publication never fails on a name too long.
class OutputNames {
public:
    OutputNames(Platform& platform, std::string prefix, std::string base, std::string extension)
        : m_platform(platform),
          m_prefix(std::move(prefix)),
          m_base(std::move(base)),
          m_extension(std::move(extension)) {}

    // The first name from here on that no probe finds taken.
    std::string NextFree() {
        std::string path;
        do {
            path = m_prefix + Fitted(m_counter > 1 ? " (" + std::to_string(m_counter) + ")" : "");
            ++m_counter;
        } while (m_platform.ProbeName(path));
        return path;
    }

private:
    // Enough of the base to tell the file by, kept even before the extension.
    static constexpr std::size_t kLeastBase = 16;

    // "<base><number><ext>" within the limit: the base gives way, cut at a
    // character; the extension only where it would leave the base less than
    // kLeastBase units.
    std::string Fitted(const std::string& number) const {
        const NameUnit unit = m_platform.NameLengthUnit();
        const std::size_t room = kNameLimit - NameLength(number, unit);
        const std::size_t leastBase = std::min(NameLength(m_base, unit), kLeastBase);
        std::string extension = m_extension;
        if (NameLength(extension, unit) > room - leastBase)
            extension.resize(NameCutBefore(extension, room - leastBase, unit));
        const std::size_t baseRoom = room - NameLength(extension, unit);
        return m_base.substr(0, NameCutBefore(m_base, baseRoom, unit)) + number + extension;
    }

    Platform& m_platform;
    std::string m_prefix, m_base, m_extension;
    int m_counter = 1;
};

// Tells the host of an output left behind, from a clean-up path.
void NotRemovedQuietly(JobHost& host, const std::string& path) noexcept {
    try {
        host.OutputNotRemoved(path);
    } catch (...) {
        // The message that follows says it too.
    }
}

void CloseQuietly(std::unique_ptr<File>& file) noexcept {
    if (!file) return;
    try {
        file->Close();
    } catch (...) {
        // A failure while closing in the clean-up is not reported.
    }
    file.reset();
}

enum class CopyResult { Done, Cancelled };

// Transforms exactly `length` bytes of the source, or (-1) all a stream
// holds, counting them in `copied`. A file that ends sooner or goes on past
// them, or whose identity or change stamps differ from the job's start once
// it is read (cut and grown back, rewritten in place), changed while it was
// read: a file error. So is a stamp that cannot be had again: the bytes
// read are not known to be the file's. A stream that ends sooner or goes
// on is a damaged container.
CopyResult CopyBlocks(File& source, File& output, std::int64_t length, const ByteTable& table, JobContext& context,
                      std::uint64_t& copied) {
    const BlockTransform transform(table);
    std::uint32_t blocks = 0;
    const bool toTheEnd = length < 0;
    auto left = toTheEnd ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(length);
    const std::string changed = context.sourceIsStream
                                    ? HeaderRefusal(HeaderProblem::LengthsDisagree, context.sourcePath)
                                    : "The file \"" + context.sourcePath + "\" changed while it was being read.";
    while (left > 0) {
        if (blocks % kCancelCheckBlocks == 0 && context.host.Cancelled()) return CopyResult::Cancelled;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockSize));
        const std::size_t got = TransformNextBlock(source, output, transform, want);
        copied += got;
        if (got != want) {
            if (toTheEnd) return CopyResult::Done;
            throw FileError(changed);
        }
        left -= want;
        context.host.SetProgressPos(++blocks);
    }
    if (!source.ReadSpan(1).empty()) throw FileError(changed);
    if (!context.sourceStamp) return CopyResult::Done;
    const std::optional<FileStamp> now = source.Stamp();
    if (!now) throw FileError("The file \"" + context.sourcePath + "\" could not be checked after it was read.");
    if (*now != *context.sourceStamp) throw FileError(changed);
    return CopyResult::Done;
}

// What the removal left adds a line to what the job reports: the path of
// what could not be removed, or of a name that now holds another file.
std::string WithLeftover(std::string message, const DiscardResult& left) {
    const auto add = [&message](const std::string& line) { message = (message.empty() ? "" : message + "\n") + line; };
    if (!left.takenByAnother.empty())
        add("The file \"" + left.takenByAnother + "\" was left as it is: another file has taken its name.");
    if (!left.notRemoved.empty()) add("Unable to remove file " + left.notRemoved);
    return message;
}

// Removes the unpublished (or failed) output; returns what is left, if anything.
DiscardResult Discard(std::unique_ptr<OutputFile>& output) noexcept {
    if (!output) return {};
    DiscardResult left = output->Discard();
    output.reset();
    return left;
}

// Publishes the complete output under the first free name, moving on to
// the next one whenever the name is taken at the last moment.
PublishStatus PublishUnderFreeName(OutputFile& output, OutputNames& names, std::string& outputPath) {
    for (;;) {
        const PublishStatus status = output.Publish(outputPath);
        if (status != PublishStatus::NameTaken) return status;
        outputPath = names.NextFree();
    }
}

std::string ExistsMessage(const std::string& path) {
    return "The file \"" + path + "\" already exists: it is never replaced.";
}

// The folder an exact output goes into, for its free space.
std::string FolderOf(const std::string& path, Platform& platform) {
    const PathParts parts = platform.SplitPath(path);
    const std::string folder = parts.drive + parts.folder;
    return folder.empty() ? "." : folder;
}

// Creates the job's output: the standard output, or a new file under the
// first free name in the folder, or under exactly the name given. Returns
// null after it has shown the message that stops the job.
std::unique_ptr<OutputFile> CreateJobOutput(const JobOrder& job, JobContext& context, File& source,
                                            std::optional<OutputNames>& names, std::string& outputPath) {
    JobHost& host = context.host;
    if (job.output == JobOutput::StandardOutput) {
        outputPath = kStandardOutputText;
        std::unique_ptr<OutputFile> output = context.platform.OpenStandardOutput();
        if (!output) host.ShowMessage("Unable to create file " + outputPath);
        return output;
    }
    if (job.output == JobOutput::ExactFile) {
        outputPath = job.outputPath;
        if (context.platform.ProbeName(outputPath)) {
            host.ShowMessage(ExistsMessage(outputPath));
            return nullptr;
        }
    } else {
        outputPath = names->NextFree();
    }
    CreateResult created = context.platform.CreateOutput(outputPath, source.Permissions());
    if (created.status != CreateStatus::Created) {
        host.ShowMessage("Unable to create file " + outputPath);
        return nullptr;
    }
    return std::move(created.file);
}

// The work once the checks have passed: inspection, the output, the payload,
// publication. Any error ends it with its message and no output left behind;
// what already went to the standard output is said to stay there.
std::uint32_t TransformSource(JobSteps& steps, JobContext& context, File& source, const JobOrder& job) {
    std::unique_ptr<OutputFile> output;
    std::optional<OutputNames> names;
    std::string outputPath;
    std::string message;
    const bool sync = job.syncOutput || job.removeSource;
    try {
        if (!steps.InspectSource(source, context) || context.host.Cancelled()) return kJobStopped;
        if (job.output == JobOutput::Folder)
            names.emplace(context.platform, TargetPrefix(job.outputPath, context.platform),
                          context.sourceParts.baseName, steps.OutputExtension());
        output = CreateJobOutput(job, context, source, names, outputPath);
        if (!output) return kJobStopped;
        steps.WriteBeforePayload(*output, context);
        const std::int64_t payload = steps.PayloadLength(context);
        std::uint64_t copiedBytes = 0;
        const CopyResult copied = CopyBlocks(source, *output, payload, steps.SubstitutionTable(), context, copiedBytes);
        // Asked once more right before the name is given: an interrupt that
        // came during the last blocks still wins.
        if (copied == CopyResult::Done && !context.host.Cancelled()) {
            steps.PayloadCopied(*output, context, copiedBytes);
            if (sync && output->Revocable()) output->SyncToDisk();
            const PublishStatus status =
                names ? PublishUnderFreeName(*output, *names, outputPath) : output->Publish(outputPath);
            if (status == PublishStatus::Published) {
                // A temporary that could not be removed is said, but the job
                // has succeeded: its output is whole under its name.
                const std::string temporaryNotRemoved = output->TemporaryNotRemoved();
                const bool onDisk = output->Revocable();
                output.reset();
                context.host.OutputWritten(outputPath, temporaryNotRemoved);
                if (sync && onDisk && !context.platform.SyncFolderOf(outputPath)) {
                    context.host.ShowMessage("The file \"" + outputPath +
                                             "\" was written, but its folder could not be flushed to the disk.");
                    return kJobSourceKept;
                }
                return kJobDone;
            }
            message =
                status == PublishStatus::NameTaken ? ExistsMessage(outputPath) : "Unable to create file " + outputPath;
        }
        // Stopped by the host: nothing is shown and nothing is left.
    } catch (const FileError& error) {
        // A read given up because of a stop is the stop's, not an error.
        if (!context.host.Cancelled()) message = FileErrorMessage(error);
    } catch (...) {
        // A failed allocation, a thread that could not start, anything.
        message = kApplicationError;
    }
    const bool streamed = output && !output->Revocable();
    const bool streamFailed = streamed && output->WriteFailed();
    const DiscardResult left = Discard(output);
    if (!left.notRemoved.empty()) NotRemovedQuietly(context.host, left.notRemoved);
    message = WithLeftover(std::move(message), left);
    if (streamed && !message.empty())
        message += "\nWhat was already written to " + std::string(kStandardOutputText) + " cannot be taken back.";
    if (!message.empty()) ShowQuietly(context.host, message);
    return streamFailed ? kJobOutputStreamFailed : kJobStopped;
}

// Removes the source once its output is on the disk, unless it changed
// since the job began or the job was stopped meanwhile.
std::uint32_t RemoveSourceFile(const JobContext& context) {
    JobHost& host = context.host;
    const std::string quoted = "The file \"" + context.sourcePath + "\"";
    if (host.Cancelled()) return kJobSourceKept;
    if (!context.sourceStamp) {
        host.ShowMessage(quoted + " was kept: it could not be checked for changes.");
        return kJobSourceKept;
    }
    switch (context.platform.RemoveSource(context.sourcePath, *context.sourceStamp)) {
    case NameRemoval::Removed:
    case NameRemoval::Gone:
        return kJobDone;
    case NameRemoval::TakenByAnother:
        host.ShowMessage(quoted + " was not removed: it changed after it was read.");
        return kJobSourceKept;
    case NameRemoval::Failed:
        break;
    }
    host.ShowMessage(quoted + " could not be removed.");
    return kJobSourceKept;
}

}  // namespace

std::string FitErrorText(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    // "... \"<path>\": <cause>": the path gives way, the cause stays whole.
    static const std::string kCauseMark = "\": ";
    static const std::string kCut = "...";
    const std::size_t mark = text.rfind(kCauseMark);
    if (mark != std::string::npos && text.size() - mark + kCut.size() < limit / 2) {
        const std::string tail = text.substr(mark);
        const std::size_t keep = Utf8CutBefore(text, limit - tail.size() - kCut.size());
        return text.substr(0, keep) + kCut + tail;
    }
    return text.substr(0, Utf8CutBefore(text, limit));
}

std::string FileErrorMessage(const FileError& error) {
    return FitErrorText(error.what(), kFileErrorTextLimit);
}

std::string SourceLengthRefusal(std::int64_t length) {
    if (length == -1) return kApplicationError;
    if (length < kMinimumSourceLength) return "Please select the file of length >= 1MB.";
    if (length > kGreatestSourceLength) return "Application Error - File is too big.\nUnable to process.";
    return {};
}

namespace {

// Hands the host back when a job ends, however it ends.
struct HostRelease {
    JobHost& host;
    ~HostRelease() {
        try {
            host.SetBusy(false);
            host.EnableJobControls(true);
        } catch (...) {
            // A host that fails here cannot be told anything more.
        }
    }
};

// The job's source: a file, or the standard input. Encoded onto the
// standard output, a stream is copied to a scratch file first, since its
// length goes into the header before the payload. Null after the message
// that stops the job (none for a stop).
std::unique_ptr<File> OpenJobSource(const JobOrder& job, JobHost& host, Platform& platform, bool& stream) {
    stream = false;
    if (!job.sourceIsStream) return platform.OpenSource(job.sourcePath);
    std::unique_ptr<File> input = platform.OpenStandardInput([&host] { return host.Cancelled(); });
    if (!input) {
        host.ShowMessage("Unable to open file " + std::string(kStandardInputText));
        return nullptr;
    }
    if (job.kind != JobKind::Encode || job.output != JobOutput::StandardOutput) {
        stream = true;
        return input;
    }
    SpoolResult spooled = SpoolStream(*input, platform, host);
    CloseQuietly(input);
    if (!spooled.message.empty()) host.ShowMessage(spooled.message);
    return std::move(spooled.file);
}

std::uint32_t RunChecksAndWork(const JobOrder& job, JobHost& host, Platform& platform) {
    const std::string sourcePath = job.sourceIsStream ? kStandardInputText : job.sourcePath;
    bool stream = false;
    std::unique_ptr<File> source = OpenJobSource(job, host, platform, stream);
    // A stream has no name: only the extension given for it.
    const PathParts parts =
        job.sourceIsStream ? PathParts{{}, {}, {}, job.streamExtension} : platform.SplitPath(sourcePath);
    const std::int64_t length = source && !stream ? source->Length() : -1;
    std::optional<FileStamp> stamp = source && !job.sourceIsStream ? source->Stamp() : std::nullopt;
    std::string refusal;
    if (!source)
        refusal = job.sourceIsStream ? std::string() : "Unable to open file " + sourcePath;
    else if (!stream && job.output == JobOutput::StandardOutput)
        refusal = SourceLengthRefusal(length);
    else if (!stream)
        refusal = CheckSizes(length, platform,
                             job.output == JobOutput::Folder ? job.outputPath : FolderOf(job.outputPath, platform));
    if (!source || !refusal.empty()) {
        if (!refusal.empty()) host.ShowMessage(refusal);
        CloseQuietly(source);
        return kJobStopped;
    }
    host.EnableJobControls(false);
    // A stream's length is not known: no bar to fill.
    host.SetProgressRange(stream ? 0 : static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) / kBlockSize));
    host.SetProgressStep(1);
    const std::unique_ptr<JobSteps> steps = job.kind == JobKind::Encode ? MakeEncodeSteps() : MakeDecodeSteps();
    JobContext context{host, platform, sourcePath, parts, length, stamp, stream};
    std::uint32_t result = TransformSource(*steps, context, *source, job);
    // Closed first: Windows lets nobody delete a file it has open.
    CloseQuietly(source);
    if (result == kJobDone && job.removeSource && !job.sourceIsStream && job.output != JobOutput::StandardOutput)
        result = RemoveSourceFile(context);
    return result;
}

}  // namespace

std::uint32_t RunJob(JobKind kind, const std::string& sourcePath, const std::string& targetFolder, JobHost& host,
                     Platform& platform) {
    JobOrder job;
    job.kind = kind;
    job.sourcePath = sourcePath;
    job.outputPath = targetFolder;
    return RunJob(job, host, platform);
}

std::uint32_t RunJob(const JobOrder& job, JobHost& host, Platform& platform) {
    if (!host.HasWindow()) return kJobNoHost;
    host.SetBusy(true);
    // The host gets its controls back on every path, exceptions included.
    const HostRelease release{host};
    try {
        return RunChecksAndWork(job, host, platform);
    } catch (...) {
        // Only what escaped before any output existed reaches here.
        ShowQuietly(host, kApplicationError);
        return kJobStopped;
    }
}

namespace {

std::uint32_t RunThreadEntry(JobKind kind, void* rawRequest) {
    if (rawRequest == nullptr) return kJobNoRequest;
    std::unique_ptr<JobRequest> request(static_cast<JobRequest*>(rawRequest));
    if (request->host == nullptr) return kJobNoHost;
    Platform& platform = request->platform ? *request->platform : SystemPlatform();
    // The paths are the request's; they must outlive the job, not the request.
    const std::string sourcePath = std::move(request->sourcePath);
    const std::string targetFolder = std::move(request->targetFolder);
    JobHost& host = *request->host;
    request.reset();
    return RunJob(kind, sourcePath, targetFolder, host, platform);
}

}  // namespace

std::uint32_t EncodeThreadProc(void* request) {
    return RunThreadEntry(JobKind::Encode, request);
}

std::uint32_t DecodeThreadProc(void* request) {
    return RunThreadEntry(JobKind::Decode, request);
}

}  // namespace morvane
