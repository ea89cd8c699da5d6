#include <windows.h>

#include "legacy_text_expectation.h"

namespace morvane::test {

// In the ANSI code page Western Windows systems have, 0xE9 is 'é'.
std::string LegacyExtensionAsRead(const std::string& stored) {
    if (::GetACP() != 1252) return {};
    std::string text;
    for (const char c : stored) text += c == '\xE9' ? std::string("\xC3\xA9") : std::string(1, c);
    return text;
}

}  // namespace morvane::test
