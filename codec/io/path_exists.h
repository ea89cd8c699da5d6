// The existence test the programs make before a job: true for files and
// folders alike, whether or not they can be opened. One implementation per
// system (system/posix, system/win32), chosen by the build.
#pragma once

#include <string>

namespace morvane {

bool PathExists(const std::string& path);

}  // namespace morvane
