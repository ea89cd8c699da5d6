// The arguments morvane.exe was started with, read from the wide command
// line so that any script and any length comes through, in UTF-8.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"

// The arguments after the program's name, split by the system's rules.
std::vector<std::string> ProgramArguments();
// The same for a command line given whole (the program's name first).
std::vector<std::string> ArgumentsOfCommandLine(const wchar_t* commandLine);

// What `path` names: a file, a folder, something else, or nothing.
morvane::ui::PathKind PathKindOnDisk(const std::string& path);

// `path` made full against the current folder; as given when that fails.
std::string FullPathOnDisk(const std::string& path);
