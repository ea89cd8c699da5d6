// Stored text that is not UTF-8 came from a program that wrote its ANSI code
// page; bytes that page does not explain either are replaced, so the name
// stays a valid one.
#include "legacy_text.h"

#include "win_path.h"

namespace morvane {

std::string LegacyTextToUtf8(std::string_view stored) {
    std::string text = AnsiToUtf8(stored);
    if (!text.empty() || stored.empty()) return text;
    return NarrowToUtf8(WidenUtf8(stored));
}

}  // namespace morvane
