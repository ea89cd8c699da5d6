#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>

#include "platform.h"
#include "utf8.h"

namespace morvane {

PathParts SplitPathOn(const std::string& path, bool (*isSeparator)(char), bool withDrive) {
    constexpr std::size_t kPartLimit = 255;
    PathParts parts;
    std::size_t start = 0;
    if (withDrive && path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    std::size_t nameStart = start;
    for (std::size_t i = start; i < path.size(); ++i)
        if (isSeparator(path[i])) nameStart = i + 1;
    parts.folder = path.substr(start, nameStart - start).substr(0, kPartLimit);

    const std::size_t dot = path.rfind('.');
    const std::size_t nameEnd = (dot != std::string::npos && dot >= nameStart) ? dot : path.size();
    parts.baseName = path.substr(nameStart, nameEnd - nameStart).substr(0, kPartLimit);
    parts.extension = path.substr(nameEnd).substr(0, kPartLimit);
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

std::string TemporaryOutputName(const std::string& name, const std::string& unique) {
    constexpr std::size_t kNameLimit = 255;
    const std::string suffix = "." + unique + ".~mq-part";
    // A multi-byte character is kept whole or left out.
    return "." + name.substr(0, Utf8CutBefore(name, kNameLimit - 1 - suffix.size())) + suffix;
}

}  // namespace morvane
