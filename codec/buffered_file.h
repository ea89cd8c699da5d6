// A File that keeps its own buffers over a raw handle, so the job's
// 4096-byte blocks cost no system call each. Each platform supplies the raw
// operations.
//
// Both directions are double-buffered with a transfer thread: a reader gets
// the next MiB read ahead while it consumes one, a writer fills one buffer
// while the other is written, so the kernel's copies overlap the caller's
// work. A read error is raised by the Read that needs the data; a failed
// write by the next Write or by Close.
#pragma once

#include <memory>
#include <new>
#include <string>

#include "platform.h"
#include "transfer_thread.h"

namespace morvane {

// A source is read through it; an output (made with `output` true) is
// written and then published or discarded.
class BufferedFile : public OutputFile {
public:
    static constexpr std::size_t kBufferSize = 1024 * 1024;

    std::size_t Read(void* buffer, std::size_t size) override;
    void Write(const void* data, std::size_t size) override;
    void Rewind() override;
    // An output closed before it is published is discarded.
    void Close() override;
    std::int64_t Length() override;
    PublishStatus Publish(const std::string& path) override;
    std::string Discard() noexcept override;

protected:
    BufferedFile(std::string path, bool output);
    // Derived destructors call CloseQuietly: the raw handle is theirs, and
    // the transfer thread must be gone before it is closed. An output not
    // yet published is discarded.
    void CloseQuietly() noexcept;
    const std::string& Path() const { return m_path; }

    // An output's naming and removal. RawPublish runs with the handle open
    // and everything written; RawRemove runs once the handle is closed and
    // removes what is left under a name (the temporary, or the published
    // file), returning its path when that fails.
    virtual PublishStatus RawPublish(const std::string& /*path*/) { return PublishStatus::Failed; }
    virtual std::string RawRemove() { return {}; }

    // Raw operations; each returns false on failure and leaves the cause
    // for RawErrorText. Reads and writes run on the transfer thread.
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
    // Takes the buffer read ahead; false at the end of the file.
    bool Refill();
    void StartReadAhead();
    // Hands the filled buffer to the transfer thread.
    void QueueWrite();
    // Waits for the transfer; raises the error of a failed one.
    void AwaitTransfer();
    // Writes out everything buffered; raises the first failure.
    void FlushWrites();

    std::string m_path;
    Buffer m_buffer;          // the caller's side: data to read, or to write
    Buffer m_other;           // the transfer's side: read ahead, or being written
    std::size_t m_begin = 0;  // next unread byte of m_buffer
    std::size_t m_end = 0;    // end of the data in m_buffer
    bool m_writing = false;
    bool m_readingAhead = false;  // a read ahead was started since the last rewind
    bool m_open = true;
    const bool m_output;
    bool m_published = false;
    // Set by the transfer thread; read after AwaitTransfer.
    std::size_t m_otherCount = 0;
    std::string m_transferError;
    // Last, so it stops first when a file is destroyed.
    TransferThread m_transfer;
};

}  // namespace morvane
