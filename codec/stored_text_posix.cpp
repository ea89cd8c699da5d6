// File names are bytes here: stored text that is not UTF-8 names the output
// with the same bytes it always did.
#include <string>
#include <string_view>

namespace morvane {

std::string LegacyTextToUtf8(std::string_view stored) {
    return std::string(stored);
}

}  // namespace morvane
