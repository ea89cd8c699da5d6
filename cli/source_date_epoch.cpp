#include "source_date_epoch.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace morvane::cli {

EpochSetting ParseSourceDateEpoch(const char* value) {
    if (value == nullptr || *value == '\0') return {};
    const char* end = value + std::strlen(value);
    std::uint64_t seconds = 0;
    // from_chars takes neither a sign nor blanks, as wanted here.
    const auto [stop, error] = std::from_chars(value, end, seconds);
    // The same values are valid and kept whole on every system, whatever
    // the width of its time_t; the key's seed takes their low 32 bits.
    constexpr auto kLatest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (error != std::errc{} || stop != end || seconds > kLatest) return {false, std::nullopt};
    return {true, static_cast<std::int64_t>(seconds)};
}

}  // namespace morvane::cli
