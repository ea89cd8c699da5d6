#include "job_frame.h"

#include <memory>

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
    if (length == -1) return kApplicationError;
    if (length < kMinimumSourceLength) return "Please select the file of length >= 1MB.";
    if (length > kGreatestSourceLength)
        return "Application Error - File is too big.\nUnable to process.";
    const auto freeSpace = platform.FreeSpace(targetFolder);
    if (!freeSpace) return "Application Error. - Unable to process the request.";
    if (!(static_cast<std::uint64_t>(length) + kFreeSpaceMargin < *freeSpace))
        return "Disk space is not available.";
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

enum class Creation { Created, Refused };

// Finds the first free name and creates it. Creation is exclusive, so a
// name taken by someone else between the probe and the creation is skipped.
Creation CreateFreeOutput(Platform& platform, JobSteps& steps, const PathParts& parts,
                          const std::string& prefix, std::unique_ptr<File>& output,
                          std::string& outputPath) {
    int counter = 1;
    outputPath = prefix + steps.FirstName(parts);
    for (;;) {
        while (platform.ProbeName(outputPath))
            outputPath = prefix + steps.NumberedName(parts, ++counter);
        CreateResult created = platform.CreateOutput(outputPath);
        if (created.status == CreateStatus::Created) {
            output = std::move(created.file);
            return Creation::Created;
        }
        if (created.status == CreateStatus::Failed) return Creation::Refused;
        outputPath = prefix + steps.NumberedName(parts, ++counter);
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

// Returns false when the host stopped the job midway.
bool CopyBlocks(File& source, File& output, const StoredKey& table, JobHost& host) {
    const BlockTransform transform(table);
    std::uint8_t input[kBlockSize];
    std::uint8_t transformed[kBlockSize];
    std::uint32_t blocks = 0;
    std::size_t count = 0;
    do {
        if (blocks % kCancelCheckBlocks == 0 && host.Cancelled()) return false;
        count = source.Read(input, kBlockSize);
        if (count > 0) {
            transform.Apply(input, transformed, count);
            output.Write(transformed, count);
            host.SetProgressPos(++blocks);
        }
    } while (count == kBlockSize);
    return true;
}

void Discard(Platform& platform, std::unique_ptr<File>& output, const std::string& outputPath) {
    if (!output) return;
    CloseQuietly(output);
    platform.RemoveFile(outputPath);
}

// The work once the checks have passed: inspection, the output, the payload.
// A file error ends it with its description and no output left behind.
std::uint32_t TransformSource(JobSteps& steps, JobContext& context, File& source,
                              const std::string& targetFolder) {
    std::unique_ptr<File> output;
    std::string outputPath;
    try {
        if (!steps.InspectSource(source, context) || context.host.Cancelled()) return kJobStopped;
        const std::string prefix = TargetPrefix(targetFolder, context.platform);
        if (CreateFreeOutput(context.platform, steps, context.sourceParts, prefix, output,
                             outputPath) == Creation::Refused) {
            context.host.ShowMessage("Unable to create file " + outputPath);
            return kJobStopped;
        }
        steps.WriteBeforePayload(*output, context);
        if (!CopyBlocks(source, *output, steps.Table(), context.host)) {
            // Stopped by the host: nothing is shown and nothing is left.
            Discard(context.platform, output, outputPath);
            return kJobStopped;
        }
        output->Close();
        context.host.OutputWritten(outputPath);
        return kJobDone;
    } catch (const FileError& error) {
        Discard(context.platform, output, outputPath);
        context.host.ShowMessage(std::string(error.what()).substr(0, kFileErrorTextLimit));
        return kJobStopped;
    } catch (...) {
        // A failed allocation, a thread that could not start, anything.
        Discard(context.platform, output, outputPath);
        ShowQuietly(context.host, kApplicationError);
        return kJobStopped;
    }
}

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
    JobContext context{host, platform, sourcePath, parts, length};
    const std::uint32_t result = TransformSource(*steps, context, *source, targetFolder);
    CloseQuietly(source);
    return result;
}

}  // namespace

std::uint32_t RunJob(JobKind kind, const std::string& sourcePath, const std::string& targetFolder,
                     JobHost& host, Platform& platform) {
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
