#include "fault_injecting_platform.h"

#include "test_files.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

namespace morvane::test {
namespace {

class FaultySource final : public FileWrapper {
public:
    FaultySource(FaultInjectingPlatform& platform, std::unique_ptr<File> real, std::string path)
        : FileWrapper(std::move(real)), m_platform(platform), m_path(std::move(path)) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t asked = size;
        size = Admit(size);
        std::size_t count = size > 0 ? Target().Read(buffer, size) : 0;
        count += Grow(static_cast<std::uint8_t*>(buffer) + count, size - count);
        Count(count, asked);
        return count;
    }

    // The same faults on the real file's spans, so the block loop's path
    // is the one under test.
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override {
        const std::size_t asked = std::min(size, kMaxSpan);
        size = Admit(asked);
        auto span = size > 0 ? Target().ReadSpan(size) : std::span<const std::uint8_t>{};
        if (span.size() < size && m_platform.faults.sourceGrowsBy) {
            m_grownSpan.assign(span.begin(), span.end());
            m_grownSpan.resize(size);
            m_grownSpan.resize(span.size() + Grow(m_grownSpan.data() + span.size(), size - span.size()));
            span = m_grownSpan;
        }
        Count(span.size(), asked);
        return span;
    }

    void Rewind() override {
        if (m_platform.faults.rewindFails) m_platform.Raise("seek error", m_path);
        Target().Rewind();
        m_position = 0;
        m_grown = 0;
        m_sawShortRead = false;
    }

    std::int64_t Length() override {
        if (m_platform.faults.sourceLength) return *m_platform.faults.sourceLength;
        return Target().Length();
    }

    std::optional<FileStamp> Stamp() override {
        std::optional<FileStamp> stamp = Target().Stamp();
        const auto& changesAfter = m_platform.faults.stampChangesAfter;
        if (stamp && changesAfter && m_position >= *changesAfter) ++stamp->modified;
        const auto& failsAfter = m_platform.faults.stampFailsAfter;
        if (failsAfter && m_position >= *failsAfter) return std::nullopt;
        return stamp;
    }

private:
    // Raises an injected read error; returns how much of `size` the source
    // still has when it is made to end early.
    std::size_t Admit(std::size_t size) {
        const InjectedFaults& faults = m_platform.faults;
        if (m_sawShortRead) ++m_platform.readsAfterShortRead;
        if (faults.readErrorAfter && m_position + size > *faults.readErrorAfter)
            m_platform.Raise("read error", m_path);
        if (faults.allocationFailsAfter && m_position + size > *faults.allocationFailsAfter)
            throw std::bad_alloc();
        if (faults.sourceEndsAfter)
            size = static_cast<std::size_t>(std::min<std::uint64_t>(
                size, *faults.sourceEndsAfter - std::min(m_position, *faults.sourceEndsAfter)));
        return size;
    }

    // Bytes past the real end of a source made to grow: up to `room` of
    // them at `into`; returns how many.
    std::size_t Grow(std::uint8_t* into, std::size_t room) {
        const auto& growsBy = m_platform.faults.sourceGrowsBy;
        if (!growsBy || room == 0) return 0;
        const auto grown = static_cast<std::size_t>(std::min<std::uint64_t>(room, *growsBy - m_grown));
        std::fill_n(into, grown, std::uint8_t{0x5A});
        m_grown += grown;
        return grown;
    }

    void Count(std::size_t count, std::size_t asked) {
        m_position += count;
        m_platform.sourceBytesRead += count;
        if (count < asked) m_sawShortRead = true;
    }

    FaultInjectingPlatform& m_platform;
    std::string m_path;
    std::uint64_t m_position = 0;
    std::uint64_t m_grown = 0;
    std::vector<std::uint8_t> m_grownSpan;
    bool m_sawShortRead = false;
};

class FaultyOutput final : public OutputFileWrapper {
public:
    FaultyOutput(FaultInjectingPlatform& platform, std::unique_ptr<OutputFile> real, std::string path)
        : OutputFileWrapper(std::move(real)), m_platform(platform), m_path(std::move(path)) {}

    void Write(const void* data, std::size_t size) override {
        ThrowIfNoThread(size);
        const std::size_t fits = Fits(size);
        if (fits > 0) Target().Write(data, fits);
        if (fits < size) m_platform.Raise("disk full", m_path);
    }

    void CommitWrite(std::size_t count) override {
        ThrowIfNoThread(count);
        const std::size_t fits = Fits(count);
        Target().CommitWrite(fits);
        if (fits < count) m_platform.Raise("disk full", m_path);
    }

    void Close() override { Discard(); }

    PublishStatus Publish(const std::string& path) override {
        const InjectedFaults& faults = m_platform.faults;
        m_platform.publishTries.push_back(path);
        if (faults.publishFails) return PublishStatus::Failed;
        if (faults.takenAtPublish.count(m_platform.NameOf(path)) > 0) WriteBytes(path, {'t', 'a', 'k', 'e', 'n'});
        const PublishStatus status = Target().Publish(path);
        if (status == PublishStatus::Published) {
            m_platform.publishedPaths.push_back(path);
            // As a failed final flush: the name was given, the job fails.
            if (faults.closeFails) {
                if (faults.nameTakenOverBeforeCloseFails) {
                    const std::string other = path + ".moved-here";
                    const std::string text = kTakenOverText;
                    WriteBytes(other, Bytes(text.begin(), text.end()));
                    std::filesystem::rename(FsPath(other), FsPath(path));
                }
                m_platform.Raise("disk full while flushing", path);
            }
        }
        return status;
    }

    std::string TemporaryNotRemoved() const override {
        if (m_platform.faults.temporaryStays && !m_platform.publishedPaths.empty())
            return m_platform.publishedPaths.back() + ".temporary";
        return Target().TemporaryNotRemoved();
    }

    DiscardResult Discard() noexcept override {
        if (m_discarded) return {};
        m_discarded = true;
        m_platform.discardedPaths.push_back(m_path);
        DiscardResult left = Target().Discard();
        if (left.notRemoved.empty() && m_platform.faults.discardFails) left.notRemoved = m_path + ".left-over";
        return left;
    }

private:
    // A writer thread that cannot be started, as when the system is out of
    // threads, once this much has been written.
    void ThrowIfNoThread(std::size_t size) const {
        const auto& noThread = m_platform.faults.threadStartFailsAfter;
        if (noThread && m_written + size > *noThread)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }

    // How much of `size` bytes the disk takes before it is full, counted
    // as written.
    std::size_t Fits(std::size_t size) {
        const auto& limit = m_platform.faults.diskFullAfter;
        const std::uint64_t room = limit ? *limit - std::min(*limit, m_written) : size;
        const auto fits = static_cast<std::size_t>(std::min<std::uint64_t>(size, room));
        m_written += fits;
        m_platform.outputBytesWritten += fits;
        return fits;
    }

    FaultInjectingPlatform& m_platform;
    std::string m_path;
    std::uint64_t m_written = 0;
    bool m_discarded = false;
};

}  // namespace

void FaultInjectingPlatform::Raise(const std::string& cause, const std::string& path) {
    const std::string text =
        faults.errorText ? *faults.errorText : "Injected " + cause + " on \"" + path + "\"";
    raisedErrors.push_back(text);
    throw FileError(text);
}

std::unique_ptr<File> FaultInjectingPlatform::OpenSource(const std::string& path) {
    if (faults.openAllocationFails) throw std::bad_alloc();
    std::unique_ptr<File> real = Target().OpenSource(path);
    if (!real) return nullptr;
    return std::make_unique<FaultySource>(*this, std::move(real), path);
}

std::string FaultInjectingPlatform::NameOf(const std::string& path) const {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1])) --nameStart;
    return path.substr(nameStart);
}

bool FaultInjectingPlatform::ProbeName(const std::string& path) {
    if (faults.unprobeableNames.count(NameOf(path)) > 0) return false;
    return Target().ProbeName(path);
}

CreateResult FaultInjectingPlatform::CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) {
    if (faults.refuseCreation) return {CreateStatus::Failed, nullptr};
    CreateResult result = Target().CreateOutput(path, permissions);
    if (result.status == CreateStatus::Created) {
        createdPaths.push_back(path);
        result.file = std::make_unique<FaultyOutput>(*this, std::move(result.file), path);
    }
    return result;
}

std::optional<std::uint64_t> FaultInjectingPlatform::FreeSpace(const std::string& folder) {
    if (faults.freeSpaceFails) return std::nullopt;
    if (faults.freeSpace) return faults.freeSpace;
    return Target().FreeSpace(folder);
}

std::int64_t FaultInjectingPlatform::CurrentTime() {
    return faults.currentTime ? *faults.currentTime : Target().CurrentTime();
}

}  // namespace morvane::test
