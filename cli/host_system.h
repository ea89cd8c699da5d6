// What the tool asks of the operating system outside the codec's platform.
// One implementation per system (host_system_posix.cpp,
// host_system_win32.cpp), chosen by the build.
#pragma once

#include <string>

namespace morvane::cli {

// The dialog's existence test: true for files and folders alike.
bool PathExists(const std::string& path);

// True when stderr is a terminal (the progress bar is drawn only there).
bool IsErrorStreamTerminal();

// Makes stdout and stderr write a line feed as a line feed.
void PrepareStandardStreams();

}  // namespace morvane::cli
