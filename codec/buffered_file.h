// A File that keeps its own read and write buffers over a raw handle, so the
// job's 4096-byte blocks cost no system call each. Each platform supplies
// the raw operations.
//
// Writing is double-buffered: a full buffer goes to a writer thread while the
// caller fills the other one, so the kernel's copy overlaps the caller's
// work. A failed write is raised by the next Write or by Close.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

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
    ~BufferedFile() override;
    // Derived destructors call CloseQuietly: the raw handle is theirs, and
    // the writer thread must be gone before it is closed.
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
    // The kernel copies to and from page-aligned memory much faster.
    static constexpr std::align_val_t kBufferAlignment{4096};
    struct AlignedDelete {
        void operator()(std::uint8_t* p) const { ::operator delete[](p, kBufferAlignment); }
    };
    using Buffer = std::unique_ptr<std::uint8_t[], AlignedDelete>;
    static Buffer NewBuffer();

    std::string ErrorText(const char* what);
    [[noreturn]] void Fail(const char* what);
    // Hands the filled buffer to the writer thread (started on first use).
    void QueueWrite();
    // Waits until the writer is idle; raises the error of a failed write.
    void AwaitWriter();
    void StopWriter() noexcept;
    void WriterLoop();

    std::string m_path;
    Buffer m_buffer;
    std::size_t m_begin = 0;  // next unread byte
    std::size_t m_end = 0;    // end of read data, or of data to write
    bool m_open = true;

    // Shared with the writer thread, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Buffer m_queued;              // a buffer being written, or null
    std::size_t m_queuedSize = 0;
    Buffer m_spare;               // the buffer to fill next
    std::string m_writeError;     // set when a queued write failed
    bool m_stopWriter = false;
    std::thread m_writer;
};

}  // namespace morvane
