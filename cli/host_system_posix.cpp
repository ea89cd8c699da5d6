#include <signal.h>
#include <unistd.h>

#include "host_system.h"

namespace morvane::cli {
namespace {

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may only touch a lock-free atomic");
std::atomic<int> g_interruptStatus{0};

extern "C" void RecordInterrupt(int signal) {
    // Only the first interrupt decides the status; compare-exchange on a
    // lock-free atomic is safe in a handler.
    int none = 0;
    g_interruptStatus.compare_exchange_strong(none, 128 + signal);
}

void Catch(int signal) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = RecordInterrupt;
    ::sigemptyset(&action.sa_mask);
    // SA_RESETHAND: a second signal while the job cleans up ends the process
    // as it would have without us, so a stuck clean-up can still be left.
    // SA_RESTART: reads and writes under way carry on; the job stops between
    // blocks.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

bool IsErrorStreamTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void PrepareStandardStreams() {
    // Streams are already byte-exact here.
}

void CatchInterrupts() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) Catch(signal);
}

const std::atomic<int>& InterruptStatus() {
    return g_interruptStatus;
}

}  // namespace morvane::cli
