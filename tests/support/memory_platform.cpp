#include "memory_platform.h"

#include <algorithm>
#include <cstring>

namespace morvane::fuzz {

class MemorySource final : public File {
public:
    MemorySource(const std::vector<std::uint8_t>& bytes, std::optional<std::uint64_t> errorAt)
        : m_bytes(bytes), m_errorAt(errorAt) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, m_bytes.size() - m_at);
        if (m_errorAt && m_at + count >= *m_errorAt && count > 0) throw FileError(kInjectedReadError);
        std::memcpy(buffer, m_bytes.data() + m_at, count);
        m_at += count;
        return count;
    }
    void Write(const void*, std::size_t) override { throw FileError("the source is read-only"); }
    void Rewind() override { m_at = 0; }
    void Close() override {}
    std::int64_t Length() override { return static_cast<std::int64_t>(m_bytes.size()); }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::optional<std::uint64_t> m_errorAt;
    std::size_t m_at = 0;
};

class MemoryOutput final : public OutputFile {
public:
    explicit MemoryOutput(MemoryPlatform& platform) : m_platform(platform) { ++m_platform.m_openOutputs; }
    ~MemoryOutput() override { Discard(); }

    std::size_t Read(void*, std::size_t) override { throw FileError("the output is write-only"); }
    void Write(const void* data, std::size_t size) override {
        const auto& limit = m_platform.m_faults.diskFullAfter;
        if (limit && m_bytes.size() + size > *limit) throw FileError(kInjectedDiskFull);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
    }
    void Rewind() override {}
    void Close() override { Discard(); }
    std::int64_t Length() override { return static_cast<std::int64_t>(m_bytes.size()); }

    PublishStatus Publish(const std::string& path) override {
        MemoryFaults& faults = m_platform.m_faults;
        if (faults.publishFails) return PublishStatus::Failed;
        if (faults.namesTakenAtPublish > 0) {
            --faults.namesTakenAtPublish;
            return PublishStatus::NameTaken;
        }
        if (m_platform.m_files.count(path) > 0) return PublishStatus::NameTaken;
        m_platform.m_files[path] = std::move(m_bytes);
        Forget();
        return PublishStatus::Published;
    }
    DiscardResult Discard() noexcept override {
        Forget();
        return {};
    }

private:
    void Forget() {
        if (m_open) --m_platform.m_openOutputs;
        m_open = false;
        m_bytes.clear();
    }

    MemoryPlatform& m_platform;
    std::vector<std::uint8_t> m_bytes;
    bool m_open = true;
};

std::unique_ptr<File> MemoryPlatform::OpenSource(const std::string& path) {
    const auto found = m_files.find(path);
    if (found == m_files.end()) return nullptr;
    return std::make_unique<MemorySource>(found->second, m_faults.readErrorAt);
}

CreateResult MemoryPlatform::CreateOutput(const std::string&, std::optional<std::uint32_t>) {
    if (m_faults.creationFails) return {};
    return {CreateStatus::Created, std::make_unique<MemoryOutput>(*this)};
}

PathParts MemoryPlatform::SplitPath(const std::string& path) {
    return SplitPathOn(path, [](char c) { return c == '/'; }, false, NameUnit::Byte);
}

std::optional<std::uint64_t> MemoryPlatform::FreeSpace(const std::string&) {
    if (m_faults.freeSpaceFails) return std::nullopt;
    return std::uint64_t{1} << 40;
}

}  // namespace morvane::fuzz
