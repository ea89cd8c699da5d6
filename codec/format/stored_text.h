// Text stored in a container (the source's extension). This program stores
// it as UTF-8; older programs stored it in their ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// Stored text as UTF-8: UTF-8 as it is; anything else taken in the system's
// ANSI code page on Windows, or kept as the same bytes where file names are
// bytes (POSIX). Text no code page explains becomes U+FFFD on Windows.
std::string StoredTextToUtf8(std::string_view stored);

}  // namespace morvane
