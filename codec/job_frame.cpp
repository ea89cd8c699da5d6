#include "job_frame.h"

#include <memory>

namespace morvane {
namespace {

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
    if (!(static_cast<std::uint64_t>(length) + kFreeSpaceMargin < *freeSpace))
        return "Disk space is not available.";
    return {};
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

void CloseQuietly(std::unique_ptr<File>& file) {
    if (!file) return;
    try {
        file->Close();
    } catch (const FileError&) {
        // A failure while closing in the clean-up is not reported.
    }
    file.reset();
}

void CopyBlocks(File& source, File& output, const StoredKey& table, JobHost& host) {
    const BlockTransform transform(table);
    std::uint8_t input[kBlockSize];
    std::uint8_t transformed[kBlockSize];
    std::uint32_t blocks = 0;
    std::size_t count = 0;
    do {
        count = source.Read(input, kBlockSize);
        if (count > 0) {
            transform.Apply(input, transformed, count);
            output.Write(transformed, count);
            host.SetProgressPos(++blocks);
        }
    } while (count == kBlockSize);
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
        CopyBlocks(source, *output, steps.Table(), context.host);
        output->Close();
        context.host.OutputWritten(outputPath);
        return kJobDone;
    } catch (const FileError& error) {
        if (output) {
            CloseQuietly(output);
            context.platform.RemoveFile(outputPath);
        }
        context.host.ShowMessage(std::string(error.what()).substr(0, kFileErrorTextLimit));
        return kJobStopped;
    }
}

}  // namespace

std::string SourceLengthRefusal(std::int64_t length) {
    if (length == -1) return "Application Error. - Unable to process.";
    if (length < kMinimumSourceLength) return "Please select the file of length >= 1MB.";
    if (length > kGreatestSourceLength)
        return "Application Error - File is too big.\nUnable to process.";
    return {};
}

std::uint32_t RunJobFrame(void* rawRequest, JobSteps& steps) {
    if (rawRequest == nullptr) return kJobNoRequest;
    std::unique_ptr<JobRequest> request(static_cast<JobRequest*>(rawRequest));
    JobHost* host = request->host;
    if (host == nullptr || !host->HasWindow()) return kJobNoHost;
    Platform& platform = request->platform ? *request->platform : SystemPlatform();
    const std::string& sourcePath = request->sourcePath;

    host->SetBusy(true);
    std::uint32_t result = kJobStopped;
    std::unique_ptr<File> source = platform.OpenSource(sourcePath);
    const PathParts parts = platform.SplitPath(sourcePath);
    const std::int64_t length = source ? source->Length() : -1;
    std::string refusal;
    if (!source)
        refusal = "Unable to open file " + sourcePath;
    else
        refusal = CheckSizes(length, platform, request->targetFolder);

    if (!refusal.empty()) {
        host->ShowMessage(refusal);
    } else {
        host->EnableJobControls(false);
        host->SetProgressRange(static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) / kBlockSize));
        host->SetProgressStep(1);
        JobContext context{*host, platform, sourcePath, parts, length};
        result = TransformSource(steps, context, *source, request->targetFolder);
    }

    host->SetBusy(false);
    host->EnableJobControls(true);
    request.reset();
    CloseQuietly(source);
    return result;
}

}  // namespace morvane
