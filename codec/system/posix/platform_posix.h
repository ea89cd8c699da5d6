// What the POSIX platform offers beyond the seam, for tests.
#pragma once

#include <functional>
#include <memory>

#include "platform.h"

namespace morvane {

// The calls that give a named temporary its final name, each returning 0 or
// -1 with errno set as the system call does. Tests replace them to play a
// file system that lacks RENAME_NOREPLACE (EINVAL) or hard links, or a
// temporary that cannot be removed.
struct PosixNamingCalls {
    // renameat2 with RENAME_NOREPLACE.
    std::function<int(const char* from, const char* to)> renameNoReplace;
    std::function<int(const char* from, const char* to)> link;
    std::function<int(const char* from, const char* to)> rename;
    // Removes a temporary once its second link holds the final name.
    std::function<int(const char* path)> unlink;
};

// The system's own.
PosixNamingCalls SystemNamingCalls();

// The system platform as on a file system without unnamed files: every
// output is written under its hidden temporary name, as on those systems.
Platform& NamedOutputsPlatform();
// The same, naming its outputs through `calls`.
std::unique_ptr<Platform> MakeNamedOutputsPlatform(PosixNamingCalls calls);

}  // namespace morvane
