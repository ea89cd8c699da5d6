// A platform whose files live in memory, with faults chosen per run, so a
// fuzz target can run whole jobs fast and see every file a job leaves.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"

namespace morvane::fuzz {

struct MemoryFaults {
    std::optional<std::uint64_t> readErrorAt;    // a Read reaching this offset fails
    std::optional<std::uint64_t> diskFullAfter;  // writes past this many bytes fail
    int namesTakenAtPublish = 0;                 // names found taken when publishing
    bool publishFails = false;
    bool creationFails = false;
    bool freeSpaceFails = false;
};

inline constexpr char kInjectedReadError[] = "injected read error";
inline constexpr char kInjectedDiskFull[] = "injected disk full";

class MemoryPlatform final : public Platform {
public:
    explicit MemoryPlatform(MemoryFaults faults) : m_faults(faults) {}

    // The named files; outputs appear here only once published.
    std::map<std::string, std::vector<std::uint8_t>>& Files() { return m_files; }
    // Outputs created and not yet published or discarded.
    int OpenOutputs() const { return m_openOutputs; }

    std::unique_ptr<File> OpenSource(const std::string& path) override;
    bool ProbeName(const std::string& path) override { return m_files.count(path) > 0; }
    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override;
    PathParts SplitPath(const std::string& path) override;
    NameUnit NameLengthUnit() const override { return NameUnit::Byte; }
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override;
    bool IsSeparator(char c) const override { return c == '/'; }
    char PreferredSeparator() const override { return '/'; }
    std::int64_t CurrentTime() override { return 1700000000; }

private:
    friend class MemoryOutput;
    MemoryFaults m_faults;
    std::map<std::string, std::vector<std::uint8_t>> m_files;
    int m_openOutputs = 0;
};

}  // namespace morvane::fuzz
