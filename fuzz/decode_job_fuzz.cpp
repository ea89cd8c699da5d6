// A whole decode job on a container held in memory, with faults chosen by
// the input. The first byte picks the faults, the next four place them, the
// rest is the container, padded with zero bytes to the 1 MiB a source needs
// unless the first byte asks for it as it is. Whatever the input:
// - the job ends with the host handed back and no output left open;
// - an output exists only when the job reports success, and then encodes
//   with the stored key back into the payload, block by block;
// - a failure shows exactly one message, one of the program's own.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "container_header.h"
#include "job.h"
#include "memory_platform.h"
#include "recording_job_host.h"

namespace {

using morvane::fuzz::MemoryFaults;
using morvane::fuzz::MemoryPlatform;

constexpr char kSourcePath[] = "/in/sample.~mq";
constexpr char kFolder[] = "/out";
constexpr std::size_t kMinimumSource = 0x100000;

void Require(bool condition) {
    if (!condition) std::abort();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsOwnMessage(const std::string& message) {
    const std::string quoted = std::string("\"") + kSourcePath + "\"";
    for (const std::string& exact :
         {"The encoded file " + quoted + " is damaged.",
          "Inavalid encoded file " + quoted + " .\nPlease select a valid encoded file.",
          "Unable to read from file " + quoted, std::string("Please select the file of length >= 1MB."),
          std::string("Application Error. - Unable to process the request."),
          std::string("Application Error. - Unable to process."),
          "The file " + quoted + " changed while it was being read.",
          std::string(morvane::fuzz::kInjectedReadError), std::string(morvane::fuzz::kInjectedDiskFull)})
        if (message == exact) return true;
    return StartsWith(message, "Unable to create file /out/");
}

// The payload as the encoder makes it from `output` with `key`.
std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& output, const morvane::StoredKey& key) {
    std::vector<std::uint8_t> encoded(output.size());
    for (std::size_t at = 0; at < output.size(); at += morvane::kBlockSize) {
        const std::size_t size = std::min(morvane::kBlockSize, output.size() - at);
        morvane::TransformBlock(output.data() + at, encoded.data() + at, size, key);
    }
    return encoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const std::uint8_t choice = data[0];
    const std::uint32_t place = data[1] | data[2] << 8 | data[3] << 16 | static_cast<std::uint32_t>(data[4]) << 24;
    std::vector<std::uint8_t> container(data + 5, data + size);
    if (!(choice & 0x80) && container.size() < kMinimumSource) container.resize(kMinimumSource);

    MemoryFaults faults;
    if (choice & 0x01) faults.readErrorAt = place % (container.size() + 1);
    if (choice & 0x02) faults.diskFullAfter = place % (container.size() + 1);
    if (choice & 0x04) faults.namesTakenAtPublish = 1 + (place >> 30);
    faults.publishFails = choice & 0x08;
    faults.creationFails = choice & 0x10;
    faults.freeSpaceFails = choice & 0x20;
    MemoryPlatform platform(faults);
    platform.Files()[kSourcePath] = container;
    if (choice & 0x40) {
        platform.Files()["/out/sample.bin"] = {};
        platform.Files()["/out/sample.~mz"] = {};
    }
    const auto filesBefore = platform.Files().size();

    morvane::test::RecordingJobHost host;
    const std::uint32_t result =
        morvane::RunJob(morvane::JobKind::Decode, kSourcePath, kFolder, host, platform);

    // MORVANE_FUZZ_TRACE=1 shows how each input ended, to check a corpus.
    if (std::getenv("MORVANE_FUZZ_TRACE") != nullptr)
        std::fprintf(stderr, "result %u: %s\n", static_cast<unsigned>(result),
                     host.Messages().empty() ? "(no message)" : host.Messages().front().c_str());
    Require(!host.Busy() && host.ControlsEnabled());
    Require(platform.OpenOutputs() == 0);
    Require(platform.Files().at(kSourcePath) == container);
    if (result != morvane::kJobDone) {
        Require(result == morvane::kJobStopped);
        Require(platform.Files().size() == filesBefore && host.OutputPaths().empty());
        Require(host.Messages().size() == 1 && IsOwnMessage(host.Messages().front()));
        return 0;
    }

    Require(host.Messages().empty());
    Require(platform.Files().size() == filesBefore + 1 && host.OutputPaths().size() == 1);
    const auto output = platform.Files().find(host.OutputPaths().front());
    Require(output != platform.Files().end() && StartsWith(output->first, "/out/sample"));
    const morvane::ContainerHeader header = morvane::ReadContainerHeader(container.data(), container.size());
    Require(header.problem == morvane::HeaderProblem::None && header.version && header.extension);
    const std::size_t payloadAt = morvane::HeaderSize(*header.version, header.extension->size());
    morvane::StoredKey key{};
    std::copy_n(container.begin() + static_cast<std::ptrdiff_t>(payloadAt - 2 * morvane::kKeySize), key.size(),
                key.begin());
    Require(Encode(output->second, key) ==
            std::vector<std::uint8_t>(container.begin() + static_cast<std::ptrdiff_t>(payloadAt), container.end()));
    return 0;
}
