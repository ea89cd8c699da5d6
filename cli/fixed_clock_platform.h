// The system platform with its clock stopped at one second: everything is
// forwarded except CurrentTime, which seeds the key.
#pragma once

#include <cstdint>

#include "platform.h"

namespace morvane::cli {

class FixedClockPlatform final : public PlatformWrapper {
public:
    FixedClockPlatform(Platform& inner, std::int64_t seconds) : PlatformWrapper(inner), m_seconds(seconds) {}

    std::int64_t CurrentTime() override { return m_seconds; }

private:
    std::int64_t m_seconds;
};

}  // namespace morvane::cli
