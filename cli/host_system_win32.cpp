#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstdio>

#include "host_system.h"

namespace morvane::cli {
namespace {

constexpr std::size_t kStreamBufferSize = 4096;

// Exit statuses of the console events, as the matching POSIX signals give:
// Ctrl+C is SIGINT, Ctrl+Break the runtime's SIGBREAK, a closed console a
// hang-up (SIGHUP, 1), the end of the session SIGTERM.
constexpr int kHangUpSignal = 1;

// The system ends the process once the handler of a closing console
// returns (and after a few seconds in any case); the handler waits this
// long at most, while the job cleans up and main returns.
constexpr DWORD kCloseCleanUpMilliseconds = 10000;

static_assert(std::atomic<int>::is_always_lock_free, "the control handler may only touch a lock-free atomic");
std::atomic<int> g_interruptStatus{0};

int StatusOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT: return 128 + SIGINT;
    case CTRL_BREAK_EVENT: return 128 + SIGBREAK;
    case CTRL_CLOSE_EVENT: return 128 + kHangUpSignal;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: return 128 + SIGTERM;
    default: return 0;
    }
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    const int status = StatusOf(event);
    if (status == 0) return FALSE;
    int none = 0;
    const bool first = g_interruptStatus.compare_exchange_strong(none, status);
    // A second Ctrl+C or Ctrl+Break while the job cleans up goes to the
    // system's handler, which ends the process, as on POSIX.
    if (!first && (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) return FALSE;
    // Returning ends the process for these: give the job its clean-up, the
    // process exits from main meanwhile.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::Sleep(kCloseCleanUpMilliseconds);
    return TRUE;
}

}  // namespace

bool PathExists(const std::string& path) {
    return ::_access(path.c_str(), 0) == 0;
}

bool IsErrorStreamTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

void PrepareStandardStreams() {
    // Text mode would turn each line feed into CR LF; output stays the same
    // bytes as on other systems, so scripts read it alike.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // An unbuffered console stream is written one character per call; the
    // tool flushes after each line or bar it writes, so a buffer is safe and
    // a redrawn bar costs one write.
    std::setvbuf(stdout, nullptr, _IOFBF, kStreamBufferSize);
    std::setvbuf(stderr, nullptr, _IOFBF, kStreamBufferSize);
}

void CatchInterrupts() {
    // A process started in a new group, or whose parent ignored Ctrl+C, keeps
    // ignoring Ctrl+C: the system never calls the handler for it.
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

const std::atomic<int>& InterruptStatus() {
    return g_interruptStatus;
}

}  // namespace morvane::cli
