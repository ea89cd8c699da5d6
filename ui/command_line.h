// The arguments morvane.exe was started with (split, in UTF-8): the files to
// queue, the mode to start in at once if any, the target folder, and what
// was not used and why. The file system is asked only through the function
// and the platform given, so every rule is checked in a unit test.
//
//   morvane.exe [/encode | /decode] [/folder:FOLDER] PATH...   |   /?
//
// Switches are case-insensitive and may also start with '-'.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "job_queue.h"
#include "platform.h"

namespace morvane::ui {

enum class PathKind { Missing, File, Folder, Other };
// What a path names on the file system.
using PathKindOf = std::function<PathKind(const std::string& path)>;

// None: the paths fill the window, which waits for the button.
enum class StartSwitch { None, Encode, Decode };

enum class ArgumentProblem {
    UnknownSwitch,
    SecondMode,       // /encode and /decode both given
    Missing,          // a path that does not exist, or an empty /folder:
    SecondFolder,     // a folder when one was already given
    NotFileOrFolder,  // a device, a pipe
    NotAFolder,       // /folder: naming a file
};

struct UnusedArgument {
    std::string argument;
    ArgumentProblem problem;
};

struct StartArguments {
    std::vector<std::string> files;  // in the order given
    StartSwitch mode = StartSwitch::None;
    std::string folder;  // from /folder: or a folder among the paths; empty when none
    bool usage = false;  // /? was given
    std::vector<UnusedArgument> unused;
};

// Reads the arguments after the program's name. A word that starts with
// '/' or '-' and is none of the switches is still taken as a path when
// `kindOf` finds something of that name (a path from the drive's root),
// else refused as an unknown switch. The first folder, given by /folder: or
// among the paths, is the target; any other folder is refused.
StartArguments ParseStartArguments(const std::vector<std::string>& arguments, const PathKindOf& kindOf);

// The full path of a path relative to this process's current folder.
using FullPathOf = std::function<std::string(const std::string& path)>;

// The arguments with every path made full, switches kept as given, so that
// another process, whose current folder differs, reads them alike.
std::vector<std::string> WithFullPaths(const std::vector<std::string>& arguments, const PathKindOf& kindOf,
                                       const FullPathOf& fullPath);

// True when the file at `path` starts with the container's magic and magic
// number; false for anything else, one that cannot be read included.
bool StartsLikeContainer(Platform& platform, const std::string& path);

// What the window does with a start's arguments.
struct StartPlan {
    bool decode = false;      // the mode of every item
    bool startNow = false;    // /encode or /decode: the queue starts at once
    std::string folderField;  // the given folder, else the first file's own
    // One per file, in order. Started at once, each output goes to the
    // given folder, else into its source's own; otherwise every item
    // targets the folder field (which the user may still change).
    std::vector<QueueItem> items;
};

// Without a switch the mode follows the first file: decode when it starts
// like a container, else encode.
StartPlan PlanStart(const StartArguments& arguments, Platform& platform);

// The result line's note on what was not used, each argument with its
// reason: `Not used: "/x" (unknown switch); "D:\b" (a second folder).`
// Empty when everything was used.
std::string UnusedArgumentsText(const std::vector<UnusedArgument>& unused);

// The text of the box /? shows.
std::string UsageText();

}  // namespace morvane::ui
