#include "command_line.h"

#include "morvane_version.h"

namespace morvane::cli {
namespace {

bool IsOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

CommandLine Refuse(std::string error) {
    CommandLine refused;
    refused.error = std::move(error);
    return refused;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    bool help = false;
    bool version = false;
    bool json = false;
    std::string unknownOption;
    std::vector<std::string> words;  // the command and its paths
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || !IsOption(argument)) {
            words.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "-V" || argument == "--version") {
            version = true;
        } else if (argument == "--json") {
            json = true;
        } else if (unknownOption.empty()) {
            unknownOption = argument;
        }
    }

    CommandLine result;
    if (help) {
        result.action = Action::Help;
        return result;
    }
    if (version) {
        result.action = Action::Version;
        return result;
    }
    if (!unknownOption.empty()) return Refuse("unknown option '" + unknownOption + "'");
    if (words.empty()) return Refuse("missing command");
    const std::string& command = words.front();
    if (command == "encode") {
        result.action = Action::Encode;
    } else if (command == "decode") {
        result.action = Action::Decode;
    } else if (command == "info") {
        if (words.size() < 2) return Refuse("missing CONTAINER");
        result.action = Action::Info;
        result.json = json;
        result.sources.assign(words.begin() + 1, words.end());
        return result;
    } else {
        return Refuse("unknown command '" + command + "'");
    }
    if (json) return Refuse("option '--json' is only for info");
    if (words.size() < 2) return Refuse("missing SOURCE and FOLDER");
    if (words.size() < 3) return Refuse("missing FOLDER");
    result.sources.assign(words.begin() + 1, words.end() - 1);
    result.folder = words.back();
    return result;
}

std::string UsageText() {
    return "Usage: morvane-cli encode SOURCE... FOLDER\n"
           "       morvane-cli decode SOURCE... FOLDER\n"
           "       morvane-cli info [--json] CONTAINER...\n"
           "Try 'morvane-cli --help' for more information.\n";
}

std::string HelpText() {
    return "Usage: morvane-cli encode SOURCE... FOLDER\n"
           "       morvane-cli decode SOURCE... FOLDER\n"
           "       morvane-cli info [--json] CONTAINER...\n"
           "\n"
           "Encodes each SOURCE (1 MB or more) into a container \"NAME.~mq\" in FOLDER,\n"
           "or decodes each container SOURCE back into its original file in FOLDER.\n"
           "An existing file is never replaced: \"NAME (2).~mq\", \"NAME (3).~mq\", ...\n"
           "Prints the path of each file written on stdout, one per line; messages go\n"
           "to stderr.\n"
           "\n"
           "info writes nothing: for each CONTAINER it prints the header's facts (format\n"
           "version, stored extension, payload length and stored lengths, whether the\n"
           "key is a permutation and its two copies agree) and a verdict: \"sound\", or\n"
           "the message decoding it would give.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n"
           "  --json         info only: one JSON array, an object per CONTAINER\n"
           "  --             every argument after it is a path\n"
           "\n"
           "Environment:\n"
           "  SOURCE_DATE_EPOCH  seconds since 1970 used to seed the key instead of the\n"
           "                     current time, for reproducible containers\n"
           "\n"
           "Exit status: 0 every job succeeded (info: every CONTAINER is sound),\n"
           "1 a job failed (info: a CONTAINER is not sound), 2 usage error.\n";
}

std::string VersionText() {
    return "morvane-cli " MORVANE_VERSION_TEXT "\n";
}

}  // namespace morvane::cli
