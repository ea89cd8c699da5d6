#include "stored_text.h"

#include "legacy_text.h"
#include "utf8.h"

namespace morvane {

std::string StoredTextToUtf8(std::string_view stored) {
    if (IsValidUtf8(stored)) return std::string(stored);
    return LegacyTextToUtf8(stored);
}

}  // namespace morvane
