#include "legacy_text_expectation.h"

namespace morvane::test {

// File names are bytes: the same bytes name the file.
std::string LegacyExtensionAsRead(const std::string& stored) {
    return stored;
}

}  // namespace morvane::test
