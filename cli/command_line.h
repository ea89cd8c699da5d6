// What the tool was asked to do, parsed from its arguments without touching
// the file system, so every rule can be checked in a unit test.
#pragma once

#include <string>
#include <vector>

namespace morvane::cli {

enum class Action { Encode, Decode, Info, Help, Version, UsageError };

struct CommandLine {
    Action action = Action::UsageError;
    std::vector<std::string> sources;  // in the order given
    std::string folder;                // empty for Info
    bool json = false;                 // Info only: the report as JSON
    std::string error;                 // set only for UsageError
};

// Parses the arguments after the program name:
//   encode SOURCE... FOLDER | decode SOURCE... FOLDER |
//   info [--json] CONTAINER... | --help | --version
// "-h"/"--help" wins over everything, then "-V"/"--version". After "--"
// every argument is a path, so paths may start with '-'.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The full help (stdout for --help), the short reminder after a usage
// error, and the version line.
std::string HelpText();
std::string UsageText();
std::string VersionText();

}  // namespace morvane::cli
