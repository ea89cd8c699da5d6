#include "hand_over.h"

#include <algorithm>
#include <string_view>

#include "container_format.h"
#include "utf8.h"

namespace morvane::ui {
namespace {

constexpr std::size_t kHeaderSize = 4 + 4 + 4;

bool IsSoundText(std::string_view text) {
    // A NUL would cut the path short where Windows reads it.
    return IsValidUtf8(text) && text.find('\0') == std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeHandOver(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.size() > kHandOverMaxArguments) return std::nullopt;
    std::size_t text = 0;
    for (const std::string& argument : arguments) {
        if (!IsSoundText(argument)) return std::nullopt;
        text += argument.size();
        if (text > kHandOverMaxTextBytes) return std::nullopt;
    }
    std::vector<std::uint8_t> message(kHeaderSize + 4 * arguments.size() + text);
    std::uint8_t* out = message.data();
    out = std::copy(kHandOverTag.begin(), kHandOverTag.end(), out);
    PutLittleEndian(out, kHandOverVersion, 4);
    PutLittleEndian(out + 4, arguments.size(), 4);
    out += 8;
    for (const std::string& argument : arguments) {
        PutLittleEndian(out, argument.size(), 4);
        out = std::copy(argument.begin(), argument.end(), out + 4);
    }
    return message;
}

DecodedHandOver DecodeHandOver(const std::uint8_t* bytes, std::size_t size) {
    DecodedHandOver result;
    const auto refuse = [&result](HandOverProblem problem) {
        result.problem = problem;
        result.arguments.clear();
        return result;
    };
    if (size < kHandOverTag.size()) return refuse(HandOverProblem::Truncated);
    if (!std::equal(kHandOverTag.begin(), kHandOverTag.end(), bytes)) return refuse(HandOverProblem::WrongTag);
    if (size < kHeaderSize) return refuse(HandOverProblem::Truncated);
    if (GetLittleEndian(bytes + 4, 4) != kHandOverVersion) return refuse(HandOverProblem::WrongVersion);
    const std::uint64_t count = GetLittleEndian(bytes + 8, 4);
    if (count == 0) return refuse(HandOverProblem::Empty);
    if (count > kHandOverMaxArguments) return refuse(HandOverProblem::TooMany);

    std::size_t at = kHeaderSize;
    std::size_t text = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (size - at < 4) return refuse(HandOverProblem::Truncated);
        const std::uint64_t length = GetLittleEndian(bytes + at, 4);
        at += 4;
        // Checked against what is left, never by adding to `at`.
        if (length > kHandOverMaxTextBytes - text) return refuse(HandOverProblem::TooMany);
        if (length > size - at) return refuse(HandOverProblem::Truncated);
        const std::string_view argument(reinterpret_cast<const char*>(bytes + at), length);
        if (!IsSoundText(argument)) return refuse(HandOverProblem::NotUtf8);
        result.arguments.emplace_back(argument);
        at += length;
        text += length;
    }
    if (at != size) return refuse(HandOverProblem::TrailingBytes);
    return result;
}

}  // namespace morvane::ui
