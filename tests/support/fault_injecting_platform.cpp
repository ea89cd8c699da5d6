#include "fault_injecting_platform.h"

#include "test_files.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace morvane::test {
namespace {

class FaultySource final : public File {
public:
    FaultySource(FaultInjectingPlatform& platform, std::unique_ptr<File> real, std::string path)
        : m_platform(platform), m_real(std::move(real)), m_path(std::move(path)) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        const InjectedFaults& faults = m_platform.faults;
        if (m_sawShortRead) ++m_platform.readsAfterShortRead;
        const std::size_t asked = size;
        if (faults.readErrorAfter && m_position + size > *faults.readErrorAfter)
            m_platform.Raise("read error", m_path);
        if (faults.allocationFailsAfter && m_position + size > *faults.allocationFailsAfter)
            throw std::bad_alloc();
        if (faults.sourceEndsAfter)
            size = static_cast<std::size_t>(
                std::min<std::uint64_t>(size, *faults.sourceEndsAfter - std::min(m_position, *faults.sourceEndsAfter)));
        std::size_t count = size > 0 ? m_real->Read(buffer, size) : 0;
        if (count < size && faults.sourceGrowsBy) {
            const auto grown = static_cast<std::size_t>(std::min<std::uint64_t>(size - count, *faults.sourceGrowsBy - m_grown));
            std::fill_n(static_cast<std::uint8_t*>(buffer) + count, grown, std::uint8_t{0x5A});
            m_grown += grown;
            count += grown;
        }
        m_position += count;
        m_platform.sourceBytesRead += count;
        if (count < asked) m_sawShortRead = true;
        return count;
    }

    void Write(const void* data, std::size_t size) override { m_real->Write(data, size); }

    void Rewind() override {
        if (m_platform.faults.rewindFails) m_platform.Raise("seek error", m_path);
        m_real->Rewind();
        m_position = 0;
        m_grown = 0;
        m_sawShortRead = false;
    }

    void Close() override { m_real->Close(); }

    std::int64_t Length() override {
        if (m_platform.faults.sourceLength) return *m_platform.faults.sourceLength;
        return m_real->Length();
    }

    std::optional<std::uint32_t> Permissions() override { return m_real->Permissions(); }

private:
    FaultInjectingPlatform& m_platform;
    std::unique_ptr<File> m_real;
    std::string m_path;
    std::uint64_t m_position = 0;
    std::uint64_t m_grown = 0;
    bool m_sawShortRead = false;
};

class FaultyOutput final : public OutputFile {
public:
    FaultyOutput(FaultInjectingPlatform& platform, std::unique_ptr<OutputFile> real, std::string path)
        : m_platform(platform), m_real(std::move(real)), m_path(std::move(path)) {}

    std::size_t Read(void* buffer, std::size_t size) override { return m_real->Read(buffer, size); }

    void Write(const void* data, std::size_t size) override {
        const auto& noThread = m_platform.faults.threadStartFailsAfter;
        if (noThread && m_written + size > *noThread)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        const auto& limit = m_platform.faults.diskFullAfter;
        const std::uint64_t room = limit ? *limit - std::min(*limit, m_written) : size;
        const auto fits = static_cast<std::size_t>(std::min<std::uint64_t>(size, room));
        if (fits > 0) m_real->Write(data, fits);
        m_written += fits;
        m_platform.outputBytesWritten += fits;
        if (fits < size) m_platform.Raise("disk full", m_path);
    }

    void Rewind() override { m_real->Rewind(); }
    void Close() override { Discard(); }
    std::int64_t Length() override { return m_real->Length(); }
    std::optional<std::uint32_t> Permissions() override { return m_real->Permissions(); }

    PublishStatus Publish(const std::string& path) override {
        const InjectedFaults& faults = m_platform.faults;
        m_platform.publishTries.push_back(path);
        if (faults.publishFails) return PublishStatus::Failed;
        if (faults.takenAtPublish.count(m_platform.NameOf(path)) > 0) WriteBytes(path, {'t', 'a', 'k', 'e', 'n'});
        const PublishStatus status = m_real->Publish(path);
        if (status == PublishStatus::Published) {
            m_platform.publishedPaths.push_back(path);
            // As a failed final flush: the name was given, the job fails.
            if (faults.closeFails) m_platform.Raise("disk full while flushing", path);
        }
        return status;
    }

    std::string Discard() noexcept override {
        if (m_discarded) return {};
        m_discarded = true;
        m_platform.discardedPaths.push_back(m_path);
        std::string leftover = m_real->Discard();
        if (leftover.empty() && m_platform.faults.discardFails) leftover = m_path + ".left-over";
        return leftover;
    }

private:
    FaultInjectingPlatform& m_platform;
    std::unique_ptr<OutputFile> m_real;
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

std::time_t FaultInjectingPlatform::CurrentTime() {
    return faults.currentTime ? *faults.currentTime : Target().CurrentTime();
}

}  // namespace morvane::test
