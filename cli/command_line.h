// What the tool was asked to do, parsed from its arguments without touching
// the file system, so every rule can be checked in a unit test.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvane::cli {

enum class Action { Encode, Decode, Info, Help, Version, UsageError };

// Where encode and decode put their outputs.
enum class OutputMode {
    Folder,          // FOLDER: each output under a free name in it
    StandardOutput,  // -c: every output on stdout, one after another
    ExactFile,       // -o FILE: the one output under exactly that name
};

// The source that stands for the standard input.
inline constexpr char kStandardInputName[] = "-";

struct CommandLine {
    Action action = Action::UsageError;
    std::vector<std::string> sources;  // in the order given; "-" is stdin
    OutputMode output = OutputMode::Folder;
    std::string folder;      // OutputMode::Folder only
    std::string outputFile;  // OutputMode::ExactFile only
    // --ext: the extension stored for a stream being encoded; none: the
    // one stored for a file without extension.
    std::optional<std::string> storedExtension;
    bool removeSources = false;   // --rm: each source once its output is on disk
    bool sync = false;            // --sync (implied by --rm)
    bool nullTerminated = false;  // -0: paths end with NUL, not a line feed
    bool json = false;            // Info only: the report as JSON
    std::string error;            // set only for UsageError
};

// Parses the arguments after the program name:
//   encode|decode [OPTIONS] SOURCE... FOLDER | encode|decode [OPTIONS] -c SOURCE... |
//   encode|decode [OPTIONS] SOURCE -o FILE | info [--json] CONTAINER... | --help | --version
// Options may stand anywhere. "-h"/"--help" wins over everything, then
// "-V"/"--version", then the first option not known. After "--" every
// argument is a path, so paths may start with '-'; "-" stays the standard
// input even there (a file of that name is "./-").
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The full help (stdout for --help), the short reminder after a usage
// error, and the version line.
std::string HelpText();
std::string UsageText();
std::string VersionText();

}  // namespace morvane::cli
