// The system platform with its clock stopped at one second: everything is
// forwarded except CurrentTime, which seeds the key.
#pragma once

#include <ctime>

#include "platform.h"

namespace morvane::cli {

class FixedClockPlatform final : public PlatformWrapper {
public:
    FixedClockPlatform(Platform& inner, std::time_t seconds) : PlatformWrapper(inner), m_seconds(seconds) {}

    std::time_t CurrentTime() override { return m_seconds; }

private:
    std::time_t m_seconds;
};

}  // namespace morvane::cli
