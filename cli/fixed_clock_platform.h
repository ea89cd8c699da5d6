// The system platform with its clock stopped at one second: everything is
// forwarded except CurrentTime, which seeds the key.
#pragma once

#include <ctime>

#include "platform.h"

namespace morvane::cli {

class FixedClockPlatform final : public Platform {
public:
    FixedClockPlatform(Platform& inner, std::time_t seconds) : m_inner(inner), m_seconds(seconds) {}

    std::unique_ptr<File> OpenSource(const std::string& path) override { return m_inner.OpenSource(path); }
    bool ProbeName(const std::string& path) override { return m_inner.ProbeName(path); }
    CreateResult CreateOutput(const std::string& path) override { return m_inner.CreateOutput(path); }
    PathParts SplitPath(const std::string& path) override { return m_inner.SplitPath(path); }
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        return m_inner.FreeSpace(folder);
    }
    bool RemoveFile(const std::string& path) override { return m_inner.RemoveFile(path); }
    bool IsSeparator(char c) const override { return m_inner.IsSeparator(c); }
    char PreferredSeparator() const override { return m_inner.PreferredSeparator(); }
    std::time_t CurrentTime() override { return m_seconds; }

private:
    Platform& m_inner;
    std::time_t m_seconds;
};

}  // namespace morvane::cli
