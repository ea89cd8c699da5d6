#include "command_line.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "container_format.h"

namespace morvane::ui {
namespace {

constexpr char kFolderSwitch[] = "folder:";

std::string Lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const char* Reason(ArgumentProblem problem) {
    switch (problem) {
    case ArgumentProblem::UnknownSwitch:
        return "unknown switch";
    case ArgumentProblem::SecondMode:
        return "only one of /encode and /decode";
    case ArgumentProblem::Missing:
        return "not found";
    case ArgumentProblem::SecondFolder:
        return "a second folder";
    case ArgumentProblem::NotFileOrFolder:
        return "neither a file nor a folder";
    case ArgumentProblem::NotAFolder:
        return "not a folder";
    }
    return "";
}

enum class Word { Usage, Encode, Decode, Folder, UnknownSwitch, Path };

// What an argument is by its spelling alone; for Folder, `folder` gets the
// folder it names.
Word Classify(const std::string& argument, std::string* folder) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return Word::Path;
    const std::string name = Lowercase(argument.substr(1));
    if (name == "?") return Word::Usage;
    if (name == "encode") return Word::Encode;
    if (name == "decode") return Word::Decode;
    if (!name.starts_with(kFolderSwitch)) return Word::UnknownSwitch;
    if (folder != nullptr) *folder = argument.substr(1 + sizeof kFolderSwitch - 1);
    return Word::Folder;
}

class Parser {
public:
    explicit Parser(const PathKindOf& kindOf) : m_kindOf(kindOf) {}

    StartArguments Parse(const std::vector<std::string>& arguments) {
        for (const std::string& argument : arguments) {
            if (!Switch(argument)) Path(argument, argument);
        }
        return std::move(m_result);
    }

private:
    // True when `argument` was taken as a switch, used or not.
    bool Switch(const std::string& argument) {
        std::string folder;
        switch (Classify(argument, &folder)) {
        case Word::Usage:
            m_result.usage = true;
            return true;
        case Word::Encode:
            Mode(argument, StartSwitch::Encode);
            return true;
        case Word::Decode:
            Mode(argument, StartSwitch::Decode);
            return true;
        case Word::Folder:
            if (folder.empty())
                Refuse(argument, ArgumentProblem::Missing);
            else if (m_kindOf(folder) == PathKind::File)
                Refuse(argument, ArgumentProblem::NotAFolder);
            else
                Path(argument, folder);
            return true;
        case Word::UnknownSwitch:
            // A path from the root that looks like a switch is a path.
            if (m_kindOf(argument) != PathKind::Missing) return false;
            Refuse(argument, ArgumentProblem::UnknownSwitch);
            return true;
        case Word::Path:
            break;
        }
        return false;
    }

    void Mode(const std::string& argument, StartSwitch mode) {
        if (m_result.mode == StartSwitch::None || m_result.mode == mode)
            m_result.mode = mode;
        else
            Refuse(argument, ArgumentProblem::SecondMode);
    }

    // `path` is the path `argument` gives.
    void Path(const std::string& argument, const std::string& path) {
        switch (m_kindOf(path)) {
        case PathKind::File:
            m_result.files.push_back(path);
            break;
        case PathKind::Folder:
            if (m_result.folder.empty())
                m_result.folder = path;
            else
                Refuse(argument, ArgumentProblem::SecondFolder);
            break;
        case PathKind::Missing:
            Refuse(argument, ArgumentProblem::Missing);
            break;
        case PathKind::Other:
            Refuse(argument, ArgumentProblem::NotFileOrFolder);
            break;
        }
    }

    void Refuse(const std::string& argument, ArgumentProblem problem) {
        m_result.unused.push_back({argument, problem});
    }

    const PathKindOf& m_kindOf;
    StartArguments m_result;
};

}  // namespace

StartArguments ParseStartArguments(const std::vector<std::string>& arguments, const PathKindOf& kindOf) {
    return Parser(kindOf).Parse(arguments);
}

std::vector<std::string> WithFullPaths(const std::vector<std::string>& arguments, const PathKindOf& kindOf,
                                       const FullPathOf& fullPath) {
    std::vector<std::string> result;
    for (const std::string& argument : arguments) {
        std::string folder;
        switch (Classify(argument, &folder)) {
        case Word::Folder:
            result.push_back(folder.empty() ? argument
                                            : argument.substr(0, argument.size() - folder.size()) + fullPath(folder));
            break;
        case Word::UnknownSwitch:
            result.push_back(kindOf(argument) == PathKind::Missing ? argument : fullPath(argument));
            break;
        case Word::Path:
            result.push_back(argument.empty() ? argument : fullPath(argument));
            break;
        default:
            result.push_back(argument);
            break;
        }
    }
    return result;
}

bool StartsLikeContainer(Platform& platform, const std::string& path) {
    std::array<std::uint8_t, kMagic.size() + 4> head{};
    try {
        const std::unique_ptr<File> file = platform.OpenSource(path);
        if (!file || file->Read(head.data(), head.size()) != head.size()) return false;
    } catch (const FileError&) {
        return false;
    }
    return std::equal(kMagic.begin(), kMagic.end(), head.begin()) &&
           GetLittleEndian(head.data() + kMagic.size(), 4) == kMagicNumber;
}

StartPlan PlanStart(const StartArguments& arguments, Platform& platform) {
    StartPlan plan;
    plan.folderField = arguments.folder;
    if (arguments.files.empty()) return plan;
    const std::string& first = arguments.files.front();
    plan.startNow = arguments.mode != StartSwitch::None;
    plan.decode = arguments.mode == StartSwitch::Decode ||
                  (arguments.mode == StartSwitch::None && StartsLikeContainer(platform, first));
    if (plan.folderField.empty()) plan.folderField = FolderOfPath(platform, first);
    for (const std::string& file : arguments.files) {
        std::string folder = plan.folderField;
        if (plan.startNow && arguments.folder.empty()) folder = FolderOfPath(platform, file);
        plan.items.push_back({file, plan.decode, std::move(folder)});
    }
    return plan;
}

std::string UnusedArgumentsText(const std::vector<UnusedArgument>& unused) {
    if (unused.empty()) return {};
    std::string text = "Not used:";
    for (std::size_t i = 0; i < unused.size(); ++i) {
        text += i == 0 ? " \"" : "; \"";
        text += unused[i].argument + "\" (" + Reason(unused[i].problem) + ")";
    }
    return text + ".";
}

std::string UsageText() {
    return "Usage: morvane.exe [/encode | /decode] [/folder:FOLDER] FILE...\n"
           "\n"
           "FILE...\tThe files to encode, or to decode when the first is an encoded file. "
           "They wait in the window for its button.\n"
           "/encode, /decode\tStart at once; each output goes into its file's own folder.\n"
           "/folder:FOLDER\tPuts the outputs into FOLDER.\n"
           "/?\tShows this.";
}

}  // namespace morvane::ui
