#include "command_line.h"

#include <algorithm>
#include <array>

#include "block_transform.h"
#include "morvane_version.h"

namespace morvane::cli {
namespace {

enum class Option { Stdout, Output, Ext, Remove, Sync, Null, Json, Help, Version, Count };

struct OptionRule {
    Option option;
    const char* shortName;  // nullptr when there is none
    const char* longName;
    const char* value;  // what follows it, as the usage names it; nullptr for a switch
};

// Every option the tool knows. A value follows its option as the next
// argument, or after '=' on a long name.
constexpr OptionRule kOptions[] = {
    {Option::Stdout, "-c", "--stdout", nullptr},   {Option::Output, "-o", "--output", "FILE"},
    {Option::Ext, nullptr, "--ext", ".EXT"},       {Option::Remove, nullptr, "--rm", nullptr},
    {Option::Sync, nullptr, "--sync", nullptr},    {Option::Null, "-0", "--null", nullptr},
    {Option::Json, nullptr, "--json", nullptr},    {Option::Help, "-h", "--help", nullptr},
    {Option::Version, "-V", "--version", nullptr},
};

// The options given, each as first spelled, with its value.
struct Given {
    std::string spelling;  // empty when not given
    std::string value;
};

struct Scan {
    std::array<Given, static_cast<std::size_t>(Option::Count)> options;
    std::vector<std::string> words;  // the command and its paths
    std::string error;               // the first malformed option
    bool Has(Option option) const { return !options[static_cast<std::size_t>(option)].spelling.empty(); }
    const Given& Of(Option option) const { return options[static_cast<std::size_t>(option)]; }
};

bool IsOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The option `argument` names, and the value written after '=' in it.
const OptionRule* Find(const std::string& argument, std::string& inlineValue, bool& hasInlineValue) {
    const std::size_t equals = argument.find('=');
    hasInlineValue = argument.starts_with("--") && equals != std::string::npos;
    const std::string name = hasInlineValue ? argument.substr(0, equals) : argument;
    for (const OptionRule& rule : kOptions) {
        if (name != rule.longName && (rule.shortName == nullptr || name != rule.shortName)) continue;
        if (hasInlineValue && rule.value == nullptr) return nullptr;  // "--rm=x"
        if (hasInlineValue) inlineValue = argument.substr(equals + 1);
        return &rule;
    }
    return nullptr;
}

Scan ScanArguments(const std::vector<std::string>& arguments) {
    Scan scan;
    auto note = [&scan](std::string error) {
        if (scan.error.empty()) scan.error = std::move(error);
    };
    bool optionsEnded = false;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (optionsEnded || !IsOption(argument)) {
            scan.words.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        const OptionRule* rule = Find(argument, value, hasInlineValue);
        if (rule == nullptr) {
            note("unknown option '" + argument + "'");
            continue;
        }
        const std::string spelling = hasInlineValue ? argument.substr(0, argument.find('=')) : argument;
        if (rule->value != nullptr && !hasInlineValue) {
            if (at + 1 == arguments.size()) {
                note("missing " + std::string(rule->value) + " after '" + spelling + "'");
                continue;
            }
            value = arguments[++at];
        }
        Given& given = scan.options[static_cast<std::size_t>(rule->option)];
        if (rule->value != nullptr && !given.spelling.empty()) note("option '" + spelling + "' given twice");
        if (given.spelling.empty()) given = {spelling, value};
    }
    return scan;
}

CommandLine Refuse(std::string error) {
    CommandLine refused;
    refused.error = std::move(error);
    return refused;
}

// The options of encode and decode alone.
constexpr Option kJobOptions[] = {Option::Stdout, Option::Output, Option::Ext,
                                  Option::Remove, Option::Sync,   Option::Null};

// Where encode and decode put their outputs, and which words are sources.
std::string ParseJob(const Scan& scan, CommandLine& result) {
    const std::vector<std::string> paths(scan.words.begin() + 1, scan.words.end());
    const bool toStdout = scan.Has(Option::Stdout);
    const bool toFile = scan.Has(Option::Output);
    const std::string stdoutName = scan.Of(Option::Stdout).spelling;
    const std::string outputName = scan.Of(Option::Output).spelling;
    if (toStdout && toFile) return "options '" + stdoutName + "' and '" + outputName + "' cannot be used together";
    if (scan.Has(Option::Remove) && toStdout)
        return "option '" + scan.Of(Option::Remove).spelling + "' cannot be used with '" + stdoutName + "'";
    if (toStdout || toFile) {
        if (paths.empty()) return "missing SOURCE";
        if (toFile && paths.size() > 1) return "option '" + outputName + "' takes one SOURCE";
        result.sources = paths;
        result.output = toStdout ? OutputMode::StandardOutput : OutputMode::ExactFile;
        // "-" after -o would be a file of that name, which nobody means.
        if (toFile && scan.Of(Option::Output).value == kStandardInputName)
            return "option '" + outputName + "' names a file: standard output is '-c'";
        result.outputFile = scan.Of(Option::Output).value;
    } else {
        if (paths.empty()) return "missing SOURCE and FOLDER";
        if (paths.size() < 2) return "missing FOLDER";
        result.sources.assign(paths.begin(), paths.end() - 1);
        result.folder = paths.back();
    }
    const auto inputs = std::count(result.sources.begin(), result.sources.end(), kStandardInputName);
    if (inputs > 0 && result.output == OutputMode::Folder) return "'-' (standard input) needs -c or -o";
    if (inputs > 1) return "'-' (standard input) can be given only once";
    if (scan.Has(Option::Ext)) {
        const Given& ext = scan.Of(Option::Ext);
        if (result.action != Action::Encode || inputs == 0)
            return "option '" + ext.spelling + "' is only for encoding '-' (standard input)";
        if (!ext.value.starts_with('.')) return "the extension after '" + ext.spelling + "' must start with '.'";
        result.storedExtension = ext.value;
    }
    result.removeSources = scan.Has(Option::Remove);
    result.sync = result.removeSources || scan.Has(Option::Sync);
    result.nullTerminated = scan.Has(Option::Null);
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    const Scan scan = ScanArguments(arguments);
    CommandLine result;
    if (scan.Has(Option::Help)) {
        result.action = Action::Help;
        return result;
    }
    if (scan.Has(Option::Version)) {
        result.action = Action::Version;
        return result;
    }
    if (!scan.error.empty()) return Refuse(scan.error);
    if (scan.words.empty()) return Refuse("missing command");
    const std::string& command = scan.words.front();
    if (command == "info") {
        for (const Option option : kJobOptions)
            if (scan.Has(option)) return Refuse("option '" + scan.Of(option).spelling + "' is not for info");
        if (scan.words.size() < 2) return Refuse("missing CONTAINER");
        result.action = Action::Info;
        result.json = scan.Has(Option::Json);
        result.sources.assign(scan.words.begin() + 1, scan.words.end());
        return result;
    }
    if (command == "encode") {
        result.action = Action::Encode;
    } else if (command == "decode") {
        result.action = Action::Decode;
    } else {
        return Refuse("unknown command '" + command + "'");
    }
    if (scan.Has(Option::Json)) return Refuse("option '--json' is only for info");
    if (std::string error = ParseJob(scan, result); !error.empty()) return Refuse(std::move(error));
    return result;
}

std::string UsageText() {
    return "Usage: morvane-cli encode SOURCE... FOLDER\n"
           "       morvane-cli decode SOURCE... FOLDER\n"
           "       morvane-cli encode|decode -c SOURCE...\n"
           "       morvane-cli encode|decode SOURCE -o FILE\n"
           "       morvane-cli info [--json] CONTAINER...\n"
           "Try 'morvane-cli --help' for more information.\n";
}

std::string HelpText() {
    return "Usage: morvane-cli encode SOURCE... FOLDER\n"
           "       morvane-cli decode SOURCE... FOLDER\n"
           "       morvane-cli encode|decode -c SOURCE...\n"
           "       morvane-cli encode|decode SOURCE -o FILE\n"
           "       morvane-cli info [--json] CONTAINER...\n"
           "\n"
           "Encodes each SOURCE (1 MB or more) into a container \"NAME.~mq\" in FOLDER,\n"
           "or decodes each container SOURCE back into its original file in FOLDER.\n"
           "An existing file is never replaced: \"NAME (2).~mq\", \"NAME (3).~mq\", ...\n"
           "Prints the path of each file written on stdout, one per line; messages go\n"
           "to stderr. On a terminal, control characters in names and messages are\n"
           "shown as escapes (\\n, \\t, \\x1B, \\u0085); -0 prints paths as they are.\n"
           "\n"
           "With -c every output goes to stdout, one after another, and nothing else\n"
           "does; binary data is never written to or read from a terminal. With -o the\n"
           "one output gets exactly the name FILE, which must not exist yet. SOURCE '-'\n"
           "is the standard input, with -c or -o only, also after '--' (a file named\n"
           "'-' is ./-). A job that fails midway with -c cannot take back what it\n"
           "already wrote to stdout: the status is 1 and a message says so.\n"
           "\n"
           "info writes nothing: for each CONTAINER it prints the header's facts (format\n"
           "version, stored extension, payload length and stored lengths, whether the\n"
           "key is a permutation and its two copies agree) and a verdict: \"sound\", or\n"
           "the message decoding it would give.\n"
           "\n"
           "Options (anywhere on the line):\n"
           "  -c, --stdout       write every output to stdout\n"
           "  -o, --output FILE  write the one output to FILE\n"
           "  --ext .EXT         encoding '-': the extension stored (default none)\n"
           "  --sync             flush each output and its folder entry to the disk\n"
           "                     before its path is printed\n"
           "  --rm               remove each SOURCE once its output is on the disk\n"
           "                     (implies --sync); never after a failure or an\n"
           "                     interrupt, nor when the SOURCE changed, nor with -c\n"
           "  -0, --null         end each path printed with NUL, not a line feed\n"
           "  --json             info only: one JSON array, an object per CONTAINER\n"
           "  -h, --help         show this help and exit\n"
           "  -V, --version      show the version and exit\n"
           "  --                 every argument after it is a path\n"
           "\n"
           "Environment:\n"
           "  SOURCE_DATE_EPOCH  seconds since 1970 used to seed the key instead of the\n"
           "                     current time, for reproducible containers\n"
           "\n"
           "An interrupt (Ctrl+C, SIGTERM, SIGHUP) stops the running job, leaving no\n"
           "file of it behind, and skips the remaining sources; outputs already\n"
           "complete are kept, and with --rm no source is removed after it. The first\n"
           "interrupt decides the status; a second of the same kind ends the tool at\n"
           "once, with no clean-up.\n"
           "\n"
           "Exit status: 0 every job succeeded (info: every CONTAINER is sound),\n"
           "1 a job failed (info: a CONTAINER is not sound), a SOURCE could not be\n"
           "removed, or stdout could not be written, 2 usage error, 128 + the signal\n"
           "when interrupted (130 for Ctrl+C).\n";
}

std::string VersionText() {
    return "morvane-cli " MORVANE_VERSION_TEXT MORVANE_VERSION_SUFFIX "\nblock transform: " +
           std::string(KernelName(ActiveKernel())) + "\n";
}

}  // namespace morvane::cli
