// What the POSIX platform offers beyond the seam, for tests.
#pragma once

#include "platform.h"

namespace morvane {

// The system platform as on a file system without unnamed files: every
// output is written under its hidden temporary name, as on those systems.
Platform& NamedOutputsPlatform();

}  // namespace morvane
