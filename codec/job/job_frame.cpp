#include "job_frame.h"

#include <algorithm>
#include <memory>

#include "block_copy.h"
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

// The host is asked whether to stop once every this many blocks (64 KiB).
constexpr std::uint32_t kCancelCheckBlocks = 16;

enum class CopyResult { Done, Cancelled };

// Transforms exactly `length` bytes of the source. A source that ends
// sooner or goes on past them, or whose identity or change stamps differ
// from the job's start once it is read (cut and grown back, rewritten in
// place), changed while it was read: a file error. So is a stamp that
// cannot be had again: the bytes read are not known to be the file's.
CopyResult CopyBlocks(File& source, File& output, std::int64_t length, const ByteTable& table, JobContext& context) {
    const BlockTransform transform(table);
    std::uint32_t blocks = 0;
    auto left = static_cast<std::uint64_t>(length);
    const std::string changed = "The file \"" + context.sourcePath + "\" changed while it was being read.";
    while (left > 0) {
        if (blocks % kCancelCheckBlocks == 0 && context.host.Cancelled()) return CopyResult::Cancelled;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockSize));
        if (TransformNextBlock(source, output, transform, want) != want) throw FileError(changed);
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

// The work once the checks have passed: inspection, the output, the payload,
// publication. Any error ends it with its message and no output left behind.
std::uint32_t TransformSource(JobSteps& steps, JobContext& context, File& source, const std::string& targetFolder) {
    std::unique_ptr<OutputFile> output;
    std::string outputPath;
    std::string message;
    try {
        if (!steps.InspectSource(source, context) || context.host.Cancelled()) return kJobStopped;
        OutputNames names(context.platform, TargetPrefix(targetFolder, context.platform), context.sourceParts.baseName,
                          steps.OutputExtension());
        outputPath = names.NextFree();
        CreateResult created = context.platform.CreateOutput(outputPath, source.Permissions());
        if (created.status != CreateStatus::Created) {
            context.host.ShowMessage("Unable to create file " + outputPath);
            return kJobStopped;
        }
        output = std::move(created.file);
        steps.WriteBeforePayload(*output, context);
        // Asked once more right before the name is given: an interrupt that
        // came during the last blocks still wins.
        const std::int64_t payload = steps.PayloadLength(context);
        const CopyResult copied = CopyBlocks(source, *output, payload, steps.SubstitutionTable(), context);
        if (copied == CopyResult::Done && !context.host.Cancelled()) {
            if (PublishUnderFreeName(*output, names, outputPath) == PublishStatus::Published) {
                // A temporary that could not be removed is said, but the job
                // has succeeded: its output is whole under its name.
                const std::string temporaryNotRemoved = output->TemporaryNotRemoved();
                output.reset();
                context.host.OutputWritten(outputPath, temporaryNotRemoved);
                return kJobDone;
            }
            message = "Unable to create file " + outputPath;
        }
        // Stopped by the host: nothing is shown and nothing is left.
    } catch (const FileError& error) {
        message = FileErrorMessage(error);
    } catch (...) {
        // A failed allocation, a thread that could not start, anything.
        message = kApplicationError;
    }
    const DiscardResult left = Discard(output);
    if (!left.notRemoved.empty()) NotRemovedQuietly(context.host, left.notRemoved);
    message = WithLeftover(std::move(message), left);
    if (!message.empty()) ShowQuietly(context.host, message);
    return kJobStopped;
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

std::uint32_t RunChecksAndWork(JobKind kind, const std::string& sourcePath, const std::string& targetFolder,
                               JobHost& host, Platform& platform) {
    std::unique_ptr<File> source = platform.OpenSource(sourcePath);
    const PathParts parts = platform.SplitPath(sourcePath);
    const std::int64_t length = source ? source->Length() : -1;
    std::optional<FileStamp> stamp = source ? source->Stamp() : std::nullopt;
    const std::string refusal =
        source ? CheckSizes(length, platform, targetFolder) : "Unable to open file " + sourcePath;
    if (!refusal.empty()) {
        host.ShowMessage(refusal);
        CloseQuietly(source);
        return kJobStopped;
    }
    host.EnableJobControls(false);
    host.SetProgressRange(static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) / kBlockSize));
    host.SetProgressStep(1);
    const std::unique_ptr<JobSteps> steps = kind == JobKind::Encode ? MakeEncodeSteps() : MakeDecodeSteps();
    JobContext context{host, platform, sourcePath, parts, length, stamp};
    const std::uint32_t result = TransformSource(*steps, context, *source, targetFolder);
    CloseQuietly(source);
    return result;
}

}  // namespace

std::uint32_t RunJob(JobKind kind, const std::string& sourcePath, const std::string& targetFolder, JobHost& host,
                     Platform& platform) {
    if (!host.HasWindow()) return kJobNoHost;
    host.SetBusy(true);
    // The host gets its controls back on every path, exceptions included.
    const HostRelease release{host};
    try {
        return RunChecksAndWork(kind, sourcePath, targetFolder, host, platform);
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
