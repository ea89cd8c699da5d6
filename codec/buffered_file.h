// A File that keeps its own read and write buffer over a raw handle, so the
// job's 4096-byte blocks cost no system call each. Each platform supplies
// the four raw operations.
#pragma once

#include <memory>
#include <new>
#include <string>

#include "platform.h"

namespace morvane {

class BufferedFile : public File {
public:
    static constexpr std::size_t kBufferSize = 1024 * 1024;

    std::size_t Read(void* buffer, std::size_t size) override;
    void Write(const void* data, std::size_t size) override;
    void Rewind() override;
    void Close() override;
    std::int64_t Length() override;

protected:
    explicit BufferedFile(std::string path);
    // Derived destructors call CloseQuietly: the raw handle is theirs.
    void CloseQuietly() noexcept;
    const std::string& Path() const { return m_path; }

    // Raw operations; each returns false on failure and leaves the cause
    // for RawErrorText.
    virtual bool RawRead(void* buffer, std::size_t size, std::size_t& count) = 0;
    virtual bool RawWrite(const void* data, std::size_t size) = 0;
    virtual bool RawSeekStart() = 0;
    virtual bool RawClose() = 0;
    virtual std::int64_t RawLength() = 0;
    virtual std::string RawErrorText() = 0;

private:
    [[noreturn]] void Fail(const char* what);
    void Flush();

    // The kernel copies to and from page-aligned memory much faster.
    static constexpr std::align_val_t kBufferAlignment{4096};
    struct AlignedDelete {
        void operator()(std::uint8_t* p) const { ::operator delete[](p, kBufferAlignment); }
    };

    std::string m_path;
    std::unique_ptr<std::uint8_t[], AlignedDelete> m_buffer;
    std::size_t m_begin = 0;  // next unread byte
    std::size_t m_end = 0;    // end of read data, or of pending write data
    bool m_writing = false;
    bool m_open = true;
};

}  // namespace morvane
