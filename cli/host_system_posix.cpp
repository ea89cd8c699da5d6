#include <unistd.h>

#include "host_system.h"

namespace morvane::cli {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

bool PathExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool IsErrorStreamTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void PrepareStandardStreams() {
    // Streams are already byte-exact here.
}

}  // namespace morvane::cli
