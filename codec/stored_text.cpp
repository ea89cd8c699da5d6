#include "stored_text.h"

#include "utf8.h"

namespace morvane {

// How the system reads stored text that is not UTF-8 (stored_text_win32.cpp,
// stored_text_posix.cpp).
std::string LegacyTextToUtf8(std::string_view stored);

std::string StoredTextToUtf8(std::string_view stored) {
    if (IsValidUtf8(stored)) return std::string(stored);
    return LegacyTextToUtf8(stored);
}

}  // namespace morvane
