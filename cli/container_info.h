// morvane-cli info: what a container's header holds and whether decoding
// would accept it, found without writing anything. The verdict comes from
// the same checks decoding makes, in the same order.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "container_header.h"
#include "platform.h"

namespace morvane::cli {

struct ContainerInfo {
    std::string path;
    std::optional<std::int64_t> containerLength;  // set once the file is open
    ContainerHeader header;                       // what could be read of it
    // Empty for a sound container, else the message decoding it would show.
    // The target folder's free space is no property of the container and
    // is not checked.
    std::string verdict;
};

ContainerInfo InspectContainer(const std::string& path, Platform& platform);

// One block of "  name: value" lines under the path.
std::string InfoText(const ContainerInfo& info);
// One JSON array holding an object per container.
std::string InfoJson(const std::vector<ContainerInfo>& infos);

// Reports every container of `command` on `out`: kExitAllDone when all are
// sound and the report was written, else kExitJobFailed.
int RunInfo(const CommandLine& command, Platform& platform, std::ostream& out);

}  // namespace morvane::cli
