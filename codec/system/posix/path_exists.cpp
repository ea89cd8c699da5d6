#include "path_exists.h"

#include <unistd.h>

namespace morvane {

bool PathExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

}  // namespace morvane
