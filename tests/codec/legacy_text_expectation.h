// How this system should read stored text an older program wrote (a Western
// European extension in Windows-1252), one file per system.
#pragma once

#include <string>

namespace morvane::test {

// `stored` (Windows-1252 bytes) as this system should name a file with it;
// empty when the test cannot know here.
std::string LegacyExtensionAsRead(const std::string& stored);

}  // namespace morvane::test
