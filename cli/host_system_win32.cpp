#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "host_system.h"

namespace morvane::cli {

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
}

}  // namespace morvane::cli
