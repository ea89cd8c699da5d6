#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "host_system.h"

namespace morvane::cli {
namespace {

constexpr std::size_t kStreamBufferSize = 4096;

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

}  // namespace morvane::cli
