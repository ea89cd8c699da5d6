#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "host_system.h"

namespace morvane::cli {
namespace {

std::atomic<int> g_interruptStatus{0};

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

bool IgnoredAtStart(int signal) {
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// Ends the process as `signal` would have without the tool's catching it.
[[noreturn]] void EndByDefault(int signal) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    ::sigemptyset(&only);
    ::sigaddset(&only, signal);
    ::raise(signal);  // directed at this thread, taken as its block lifts
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::_exit(128 + signal);
}

// The one thread that takes the interrupts, one at a time: a handler could
// run on any thread, and a second signal's handler would run first, nested
// over the first's before that had done anything.
[[noreturn]] void TakeInterrupts(sigset_t caught) {
    sigset_t seen;
    ::sigemptyset(&seen);
    for (;;) {
        int signal = 0;
        if (::sigwait(&caught, &signal) != 0) continue;
        if (::sigismember(&seen, signal) == 1) EndByDefault(signal);
        ::sigaddset(&seen, signal);
        int none = 0;
        g_interruptStatus.compare_exchange_strong(none, 128 + signal);
    }
}

}  // namespace

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

bool IsErrorStreamTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool IsOutputTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool IsInputTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void PrepareStandardStreams() {
    // A standard stream the tool was started without keeps failing as a
    // closed one does, but its number is taken: otherwise the first file
    // opened would get it, and data meant for stdout would land there.
    // /dev/null opened the wrong way round refuses every use.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
    // Streams are already byte-exact here. A reader that goes away (`| head`)
    // makes a write fail with EPIPE, said like any failed write, so the
    // remaining sources are still encoded.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

void CatchInterrupts() {
    sigset_t caught;
    ::sigemptyset(&caught);
    bool any = false;
    for (const int signal : kInterrupts) {
        if (IgnoredAtStart(signal)) continue;
        ::sigaddset(&caught, signal);
        any = true;
    }
    if (!any) return;
    // Blocked before any other thread starts, so every thread inherits the
    // block and only the taking thread ever sees these signals.
    ::pthread_sigmask(SIG_BLOCK, &caught, nullptr);
    try {
        std::thread(TakeInterrupts, caught).detach();
    } catch (const std::system_error&) {
        // No thread: interrupts end the process at once, as before this call.
        ::pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
    }
}

const std::atomic<int>& InterruptStatus() {
    return g_interruptStatus;
}

}  // namespace morvane::cli
