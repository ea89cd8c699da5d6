// How the system reads text that is not UTF-8, such as an extension stored by
// an older program in its ANSI code page. One implementation per system
// (system/posix, system/win32), chosen by the build.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The bytes as UTF-8: taken in the ANSI code page on Windows, where bytes no
// code page explains become U+FFFD; kept as they are where file names are
// bytes (POSIX).
std::string LegacyTextToUtf8(std::string_view stored);

}  // namespace morvane
