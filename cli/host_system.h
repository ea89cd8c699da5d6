// What the tool asks of the operating system outside the codec's platform.
// One implementation per system (host_system_posix.cpp,
// host_system_win32.cpp), chosen by the build.
#pragma once

#include <string>
#include <vector>

namespace morvane::cli {

// The arguments after the program's name, as UTF-8. On Windows they are
// read from the wide command line, whatever the ANSI code page; elsewhere
// they are argv's bytes.
std::vector<std::string> CommandArguments(int argc, char** argv);

// The dialog's existence test: true for files and folders alike.
bool PathExists(const std::string& path);

// True when stderr is a terminal (the progress bar is drawn only there).
bool IsErrorStreamTerminal();

// Makes stdout and stderr write a line feed as a line feed, and UTF-8 text
// readable: on a Windows console as the characters themselves, redirected
// as the UTF-8 bytes.
void PrepareStandardStreams();

}  // namespace morvane::cli
