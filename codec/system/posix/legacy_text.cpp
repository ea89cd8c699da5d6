// File names are bytes here: stored text that is not UTF-8 names the output
// with the same bytes it always did.
#include "legacy_text.h"

namespace morvane {

std::string LegacyTextToUtf8(std::string_view stored) {
    return std::string(stored);
}

}  // namespace morvane
