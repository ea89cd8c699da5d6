#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string_view>

#include "platform.h"
#include "utf8.h"

namespace morvane {

PathParts SplitPathOn(const std::string& path, bool (*isSeparator)(char), bool withDrive, NameUnit unit) {
    const auto part = [&](std::size_t from, std::size_t to) {
        const std::string_view text = std::string_view(path).substr(from, to - from);
        return std::string(text.substr(0, NameCutBefore(text, kNameLimit, unit)));
    };
    PathParts parts;
    std::size_t start = 0;
    if (withDrive && path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    std::size_t nameStart = start;
    for (std::size_t i = start; i < path.size(); ++i)
        if (isSeparator(path[i])) nameStart = i + 1;
    parts.folder = part(start, nameStart);

    const std::size_t dot = path.rfind('.');
    const std::size_t nameEnd = (dot != std::string::npos && dot >= nameStart) ? dot : path.size();
    parts.baseName = part(nameStart, nameEnd);
    // Within 255 bytes, which is within 255 UTF-16 units too: a container
    // stores the extension's length in one byte.
    parts.extension = part(nameEnd, path.size());
    parts.extension.resize(Utf8CutBefore(parts.extension, kNameLimit));
    return parts;
}

std::string UniqueTag() {
    static std::atomic<std::uint32_t> counter{0};
    static const std::uint32_t seed =
        std::random_device{}() ^
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint32_t value = seed ^ (counter++ * 2654435761u);
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string tag;
    for (int i = 0; i < 6; ++i, value /= 36) tag += kDigits[value % 36];
    return tag;
}

std::string TemporaryOutputName(const std::string& name, const std::string& unique, NameUnit unit) {
    const std::string suffix = "." + unique + ".~mq-part";
    return "." + name.substr(0, NameCutBefore(name, kNameLimit - 1 - NameLength(suffix, unit), unit)) + suffix;
}

}  // namespace morvane
