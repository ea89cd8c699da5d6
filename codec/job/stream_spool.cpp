#include "stream_spool.h"

#include "job_frame.h"

namespace morvane {

SpoolResult SpoolStream(File& stream, Platform& platform, JobHost& host) {
    SpoolResult result;
    std::unique_ptr<File> scratch = platform.CreateScratch();
    if (!scratch) {
        result.message = "Unable to create a temporary file to hold the " + std::string(kStandardInputText) + ".";
        return result;
    }
    try {
        for (std::uint32_t blocks = 0;; ++blocks) {
            if (blocks % kCancelCheckBlocks == 0 && host.Cancelled()) return result;
            const std::span<const std::uint8_t> block = stream.ReadSpan(File::kMaxSpan);
            if (block.empty()) break;
            scratch->Write(block.data(), block.size());
        }
        scratch->Rewind();
        result.file = std::move(scratch);
    } catch (const FileError& error) {
        // A read given up because of a stop is the stop's, not an error.
        if (!host.Cancelled()) result.message = FileErrorMessage(error);
    }
    return result;
}

}  // namespace morvane
