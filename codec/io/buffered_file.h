// A File that keeps its own buffers over a raw handle, so the job's
// 4096-byte blocks cost no system call each. Each platform supplies the raw
// handle (a RawFile).
//
// A reader is double-buffered with a transfer thread, which reads the next
// MiB ahead while the caller consumes one, so the kernel's copy overlaps the
// caller's work; a read error is raised by the Read that needs the data. A
// writer writes each full MiB itself, on the caller's thread, which has just
// made the data, so the kernel copies it from this core's cache: handed to
// another thread, every line of it would cross between cores, which costs
// more than the overlap wins where cores are few. A failed write is
// raised by the Write or span that needed the room, or by Close.
//
// The spans point into these buffers. Each buffer has a block's worth of
// spare room, so a span never breaks at a buffer's end: a reader's unread
// tail goes before the next MiB read ahead, a writer's overflow past the MiB
// moves back to the start of its buffer (under 4 KiB copied per MiB). Every
// raw write but the last is exactly one MiB.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "buffer_memory.h"
#include "platform.h"
#include "transfer_thread.h"

namespace morvane {

// The raw handle under a BufferedFile, one kind per platform. Each
// operation returns false on failure and leaves the cause for ErrorText.
// Read runs on the transfer thread, everything else on the caller's.
class RawFile {
public:
    virtual ~RawFile() = default;
    virtual bool Read(void* buffer, std::size_t size, std::size_t& count) = 0;
    virtual bool Write(const void* data, std::size_t size) = 0;
    virtual bool SeekStart() = 0;
    virtual bool Close() = 0;
    virtual std::int64_t Length() = 0;
    virtual std::string ErrorText() = 0;
    virtual std::optional<std::uint32_t> Permissions() { return std::nullopt; }
    virtual std::optional<FileStamp> Stamp() { return std::nullopt; }
    // An output's naming and removal. Publish runs with everything written,
    // and with the handle open unless NamesWithoutHandle; Remove runs once
    // the handle is closed and removes what is left under a name (the
    // temporary, or the published file) while it is still this file.
    virtual PublishStatus Publish(const std::string& /*path*/) { return PublishStatus::Failed; }
    virtual DiscardResult Remove() { return {}; }
    // Once published: the temporary name that could not be removed.
    virtual std::string TemporaryNotRemoved() const { return {}; }
    // True when Publish works on a closed handle (a named temporary renamed
    // by its name): the handle is then closed before the name is given, so
    // a failure to close fails the job before anything is named.
    virtual bool NamesWithoutHandle() const { return false; }
    // Writes at `offset` from the start, the position of later writes kept.
    virtual bool WriteAt(std::uint64_t /*offset*/, const void* /*data*/, std::size_t /*size*/) { return false; }
    // Has the system put the file's data on the disk.
    virtual bool SyncToDisk() { return false; }
    // False for a stream, whose written bytes cannot be removed.
    virtual bool Revocable() const { return true; }
};

// A source is read through it; an output (made with `output` true) is
// written and then published or discarded. A source may be written too,
// then rewound and read (a scratch copy of a stream). Rewinding within the
// first MiB read needs no seek, so a stream can be looked at and rewound.
class BufferedFile final : public OutputFile {
public:
    static constexpr std::size_t kBufferSize = 1024 * 1024;

    BufferedFile(std::string path, bool output, std::unique_ptr<RawFile> raw);
    // Closes quietly: the transfer thread stops before the handle closes,
    // and an output not yet published is discarded.
    ~BufferedFile() override;

    std::size_t Read(void* buffer, std::size_t size) override;
    void Write(const void* data, std::size_t size) override;
    void Rewind() override;
    // An output closed before it is published is discarded.
    void Close() override;
    std::int64_t Length() override;
    std::optional<std::uint32_t> Permissions() override;
    std::optional<FileStamp> Stamp() override;
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override;
    std::span<std::uint8_t> WriteSpan(std::size_t size) override;
    void CommitWrite(std::size_t count) override;
    PublishStatus Publish(const std::string& path) override;
    std::string TemporaryNotRemoved() const override;
    DiscardResult Discard() noexcept override;
    void SyncToDisk() override;
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override;
    bool WriteFailed() const override { return m_writeFailed; }
    bool Revocable() const override { return m_raw->Revocable(); }

private:
    // Reading: the spare room before the data; writing: after it.
    static constexpr std::size_t kSpare = kMaxSpan;
    // Whole pages: the kernel copies to and from page-aligned memory much
    // faster.
    static constexpr std::size_t kAllocated = kBufferSize + kSpare;

    // The transfer thread stops before the handle closes, which it may be
    // using; a closed handle is left alone.
    void StopAndClose() noexcept;
    std::string ErrorText(const char* what);
    [[noreturn]] void Fail(const char* what);
    [[noreturn]] void FailWriting();
    // Takes the buffer read ahead, with the `keep` unread bytes of the
    // current one moved before it; false at the end of the file.
    bool Refill(std::size_t keep = 0);
    void StartReadAhead();
    // Writes out the full MiB; raises its failure.
    void WriteFullBuffer();
    // Waits for the transfer; raises the error of a failed one.
    void AwaitTransfer();
    // Writes out everything buffered; raises its failure.
    void FlushWrites();
    // Writes out what is buffered and closes the handle; raises the first
    // failure, the handle closed either way.
    void FlushAndClose();

    std::string m_path;
    std::unique_ptr<RawFile> m_raw;
    // A reader's two buffers are one region, an output's one buffer another.
    BufferMemory m_memory;
    std::uint8_t* m_buffer;   // the caller's side: data to read, or to write
    std::uint8_t* m_other;    // a reader's next MiB, being read ahead
    std::size_t m_begin = 0;  // next unread byte of m_buffer
    std::size_t m_end = 0;    // end of the data in m_buffer
    bool m_writing = false;
    bool m_readingAhead = false;  // a read ahead was started since the last rewind
    bool m_open = true;
    const bool m_output;
    bool m_published = false;
    bool m_closedWhole = false;  // closed for naming, everything written
    bool m_writeFailed = false;
    // Refills since the last seek: while 1, the first MiB read is still
    // whole in m_buffer from kSpare on.
    int m_refills = 0;
    // Set by the transfer thread; read after AwaitTransfer.
    std::size_t m_otherCount = 0;
    std::string m_transferError;
    // Last, so it stops first when a file is destroyed.
    TransferThread m_transfer;
};

}  // namespace morvane
