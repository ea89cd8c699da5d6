// The command-line parser on arbitrary arguments: the input is split at NUL
// bytes into arguments. Whatever they are, the result is one consistent
// command: a usage error says why, a job has sources and a folder, info has
// containers and no folder, and only info reports as JSON.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"

using morvane::cli::Action;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    const morvane::cli::CommandLine line = morvane::cli::ParseCommandLine(arguments);
    const bool job = line.action == Action::Encode || line.action == Action::Decode;
    const bool info = line.action == Action::Info;
    if ((line.action == Action::UsageError) == line.error.empty()) std::abort();
    if ((job || info) != !line.sources.empty()) std::abort();
    if (!job && !line.folder.empty()) std::abort();
    if (line.json && !info) std::abort();
    // Every word given as a source is one of the arguments.
    for (const std::string& source : line.sources) {
        bool given = false;
        for (const std::string& argument : arguments) given = given || argument == source;
        if (!given) std::abort();
    }
    return 0;
}
