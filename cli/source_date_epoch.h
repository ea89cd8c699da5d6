// SOURCE_DATE_EPOCH: a fixed second for the key, so containers made in a
// build or a test can be reproduced byte for byte.
#pragma once

#include <cstdint>
#include <optional>

namespace morvane::cli {

struct EpochSetting {
    bool valid = true;
    std::optional<std::int64_t> seconds;  // empty: use the clock
};

// Reads the variable's value (null when it is not set). An empty value
// counts as not set; anything but decimal digits up to 2^63 - 1 is
// invalid.
EpochSetting ParseSourceDateEpoch(const char* value);

}  // namespace morvane::cli
