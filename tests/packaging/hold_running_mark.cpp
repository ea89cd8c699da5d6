// A stand-in for a running morvane.exe in the installers' test: holds the
// program's own mark (CRunningMark), says "held" once it does, and keeps it
// until its standard input ends. It needs no display, and the test knows
// when the mark is there instead of guessing how long a dialog takes.
#include <cstdio>

#include "running_mark.h"

int main() {
    const CRunningMark running;
    if (!running.IsHeld()) {
        std::fprintf(stderr, "hold_running_mark: CreateMutexW failed: error %lu\n", ::GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {}
    return 0;
}
