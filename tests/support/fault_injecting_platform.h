// A Platform that forwards to a real one and injects the faults a test asks
// for: a full disk, a read error, a short source, a source changed in place,
// creation refused, a failing or fixed free-space query, a fixed clock, a
// false source length, names that exist but cannot be probed, publication
// refused or beaten to its name, a temporary that stays after it, a close
// that fails once the name was given (the name taken over meanwhile or not),
// and stamps that cannot be had again.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

namespace morvane::test {

struct InjectedFaults {
    // Output: a Write that would go past this many bytes in all writes the
    // part that fits, then raises FileError.
    std::optional<std::uint64_t> diskFullAfter;
    // Output: Close closes the real file, then raises (a failed final flush).
    bool closeFails = false;
    // Output: with closeFails, another file is moved over the output's final
    // name after it was given and before the close fails, as a user or a
    // sync tool may do meanwhile. It holds kTakenOverText.
    bool nameTakenOverBeforeCloseFails = false;
    // Source: a Read that would go past this many bytes raises FileError.
    std::optional<std::uint64_t> readErrorAfter;
    // Source: reads return nothing past this many bytes, as at its end.
    std::optional<std::uint64_t> sourceEndsAfter;
    // Source: a Read that would go past this many bytes fails to allocate
    // (std::bad_alloc), as a buffer of a 32-bit process may.
    std::optional<std::uint64_t> allocationFailsAfter;
    // Output: a Write that would go past this many bytes cannot start its
    // transfer thread (std::system_error).
    std::optional<std::uint64_t> threadStartFailsAfter;
    // OpenSource fails to allocate, before the job has any output.
    bool openAllocationFails = false;
    // Source: this many bytes more follow its real end, as for a file that
    // grows while it is read.
    std::optional<std::uint64_t> sourceGrowsBy;
    // Source: Rewind raises.
    bool rewindFails = false;
    // Source: once this many bytes were read, its stamps tell of a change
    // (as for a source rewritten in place, its length unchanged).
    std::optional<std::uint64_t> stampChangesAfter;
    // Source: once this many bytes were read, its stamps cannot be had (as
    // for a stale network handle).
    std::optional<std::uint64_t> stampFailsAfter;
    // Replaces the description of every injected file error.
    std::optional<std::string> errorText;
    // CreateOutput returns Failed without touching the file system.
    bool refuseCreation = false;
    bool freeSpaceFails = false;
    std::optional<std::uint64_t> freeSpace;
    std::optional<std::int64_t> currentTime;
    // What Length of the source returns.
    std::optional<std::int64_t> sourceLength;
    // File names (last path component) that ProbeName reports as free although
    // they may exist, as for a file that cannot be opened for reading.
    std::set<std::string> unprobeableNames;
    // Publish returns Failed without touching the file system.
    bool publishFails = false;
    // File names that someone else creates just before the output would be
    // published under them.
    std::set<std::string> takenAtPublish;
    // Discard removes the output but reports it as left behind.
    bool discardFails = false;
    // Publish gives the name but reports the temporary as not removed, as
    // when a scanner holds it: it is then "<final path>.temporary".
    bool temporaryStays = false;
};

// What the file moved over an output's name by nameTakenOverBeforeCloseFails holds.
inline constexpr const char* kTakenOverText = "another file";

class FaultInjectingPlatform final : public PlatformWrapper {
public:
    explicit FaultInjectingPlatform(Platform& real = SystemPlatform()) : PlatformWrapper(real) {}

    InjectedFaults faults;

    // What happened, for the test to check.
    std::vector<std::string> createdPaths;    // outputs created (the names they were meant for)
    std::vector<std::string> publishTries;    // every Publish, in order
    std::vector<std::string> publishedPaths;  // outputs that got their name
    std::vector<std::string> discardedPaths;  // outputs discarded (meant-for names)
    std::vector<std::string> raisedErrors;   // texts of injected file errors
    std::uint64_t outputBytesWritten = 0;    // reached the real output
    std::uint64_t sourceBytesRead = 0;
    // Reads of a source after one that returned fewer bytes than asked.
    int readsAfterShortRead = 0;

    std::unique_ptr<File> OpenSource(const std::string& path) override;
    bool ProbeName(const std::string& path) override;
    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override;
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override;
    std::int64_t CurrentTime() override;

    // The last component of a path.
    std::string NameOf(const std::string& path) const;

    // Raises an injected file error: `cause` and the file's path, unless
    // faults.errorText replaces them.
    [[noreturn]] void Raise(const std::string& cause, const std::string& path);
};

}  // namespace morvane::test
