#include "path_exists.h"

#include <windows.h>

#include "win_path.h"

namespace morvane {

// Paths of any length, as the file functions take them.
bool PathExists(const std::string& path) {
    return ::GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace morvane
