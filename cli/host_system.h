// What the tool asks of the operating system outside the codec's platform.
// One implementation per system (host_system_posix.cpp,
// host_system_win32.cpp), chosen by the build.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace morvane::cli {

// The arguments after the program's name, as UTF-8. On Windows they are
// read from the wide command line, whatever the ANSI code page; elsewhere
// they are argv's bytes.
std::vector<std::string> CommandArguments(int argc, char** argv);

// True when the stream is a terminal: the progress bar is drawn on stderr
// only there, binary data is never written to one, and names printed there
// have their control characters escaped. On Windows a console; NUL, a file
// or a pipe is none.
bool IsErrorStreamTerminal();
bool IsOutputTerminal();
bool IsInputTerminal();

// Makes stdout and stderr write a line feed as a line feed, and UTF-8 text
// readable: on a Windows console as the characters themselves, redirected
// as the UTF-8 bytes. Stdin and stdout carry data byte for byte (Windows:
// binary mode). POSIX: a reader that went away makes a write fail (EPIPE)
// instead of ending the process.
void PrepareStandardStreams();

// From here on, an interrupt no longer ends the process at once: it is
// recorded, and the running job stops at its next block and cleans up. The
// first interrupt decides the status; one of another kind after it changes
// nothing, a second one of the same kind ends the process the default way
// (the way out of a clean-up that hangs). POSIX: SIGINT, SIGTERM and SIGHUP
// (one that was ignored when the tool started, as under nohup, stays
// ignored); call this before any thread starts, so that every thread
// inherits their block. Windows: Ctrl+C, Ctrl+Break and the console closing.
void CatchInterrupts();

// 0 until the first interrupt; then the exit status it asks for, 128 + the
// signal (130 for Ctrl+C on every system). Set from a signal handler, so
// lock-free.
const std::atomic<int>& InterruptStatus();

}  // namespace morvane::cli
