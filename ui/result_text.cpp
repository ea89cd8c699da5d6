#include "result_text.h"

#include <cstdio>
#include <iterator>

namespace result_text {
namespace {

const char* Verb(bool encode) {
    return encode ? "Encoding" : "Decoding";
}

// `value` / `unit` with three significant digits, cut rather than rounded
// (as Explorer does), so that 1023.9 KB never shows as "1024 KB".
std::string Scaled(std::uint64_t value, std::uint64_t unit, const char* name) {
    const std::uint64_t hundredths = value / unit * 100 + value % unit * 100 / unit;
    char text[48];
    if (hundredths < 1000)
        std::snprintf(text, sizeof text, "%llu.%02llu %s", static_cast<unsigned long long>(hundredths / 100),
                      static_cast<unsigned long long>(hundredths % 100), name);
    else if (hundredths < 10000)
        std::snprintf(text, sizeof text, "%llu.%llu %s", static_cast<unsigned long long>(hundredths / 100),
                      static_cast<unsigned long long>(hundredths / 10 % 10), name);
    else
        std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(hundredths / 100), name);
    return text;
}

}  // namespace

const char kStopping[] = "Stopping...";
const char kStopped[] = "Stopped; nothing was written.";

std::string Size(std::uint64_t bytes) {
    if (bytes == 1) return "1 byte";
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    std::uint64_t unit = 1024;
    std::size_t i = 0;
    // The next unit once this one would need four digits.
    while (i + 1 < std::size(kUnits) && bytes / unit >= 1000) {
        unit *= 1024;
        ++i;
    }
    return Scaled(bytes, unit, kUnits[i]);
}

std::string Duration(std::uint64_t seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s";
    if (seconds < 3600) {
        const std::string minutes = std::to_string(seconds / 60) + " min";
        return seconds % 60 == 0 ? minutes : minutes + " " + std::to_string(seconds % 60) + " s";
    }
    const std::string hours = std::to_string(seconds / 3600) + " h";
    const std::uint64_t minutes = seconds % 3600 / 60;
    return minutes == 0 ? hours : hours + " " + std::to_string(minutes) + " min";
}

std::string Starting(bool encode, const std::string& fileName) {
    return std::string(Verb(encode)) + " \"" + fileName + "\"...";
}

std::string Progress(bool encode, const std::string& fileName, std::uint64_t done, std::uint64_t total,
                     std::uint64_t elapsedMs) {
    if (done > total) done = total;
    const std::uint64_t percent = total == 0 ? 0 : done / total * 100 + done % total * 100 / total;
    std::string text =
        std::string(Verb(encode)) + " \"" + fileName + "\": " + std::to_string(percent) + "% of " + Size(total);
    // The speed means something once a second of work has been seen.
    if (elapsedMs < 1000 || done == 0) return text;
    const std::uint64_t perSecond = done * 1000 / elapsedMs;
    if (perSecond == 0) return text;
    const std::uint64_t left = (total - done + perSecond - 1) / perSecond;
    return text + ", " + Size(perSecond) + "/s, " + Duration(left) + " left";
}

std::string Written(bool encode, const std::string& path, const std::string& temporaryNotRemoved) {
    const std::string written = std::string(encode ? "Encoded" : "Decoded") + " into \"" + path + "\"";
    if (temporaryNotRemoved.empty()) return written;
    // Its name alone: the path's end is what a shortened line keeps.
    const std::size_t nameStart = temporaryNotRemoved.find_last_of("\\/");
    const std::string name =
        nameStart == std::string::npos ? temporaryNotRemoved : temporaryNotRemoved.substr(nameStart + 1);
    return written + "; its temporary \"" + name + "\" could not be removed.";
}

std::string Failed(bool encode) {
    return std::string(Verb(encode)) + " failed; nothing was written.";
}

std::string FailedWithLeftover(bool encode) {
    return std::string(Verb(encode)) + " failed; its partial output could not be removed.";
}

}  // namespace result_text
