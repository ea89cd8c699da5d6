#include "buffered_file.h"

#include <algorithm>
#include <cstring>

namespace morvane {

BufferedFile::BufferedFile(std::string path, bool output, std::unique_ptr<RawFile> raw)
    : m_path(std::move(path)),
      m_raw(std::move(raw)),
      m_memory(output ? kAllocated : 2 * kAllocated),
      m_buffer(m_memory.Data()),
      m_other(output ? nullptr : m_memory.Data() + kAllocated),
      m_output(output) {}

BufferedFile::~BufferedFile() {
    // An output not yet published goes; anything else is only closed.
    if (m_output && !m_published)
        Discard();
    else
        StopAndClose();
}

std::string BufferedFile::ErrorText(const char* what) {
    return "An error occurred while " + std::string(what) + " \"" + m_path + "\": " + m_raw->ErrorText();
}

void BufferedFile::Fail(const char* what) {
    throw FileError(ErrorText(what));
}

void BufferedFile::FailWriting() {
    m_writeFailed = true;
    Fail("writing");
}

void BufferedFile::AwaitTransfer() {
    m_transfer.Wait();
    if (!m_transferError.empty()) throw FileError(m_transferError);
}

std::size_t BufferedFile::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        if (m_begin == m_end && !Refill()) break;
        const std::size_t take = std::min(size - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer + m_begin, take);
        m_begin += take;
        done += take;
    }
    return done;
}

bool BufferedFile::Refill(std::size_t keep) {
    if (!m_readingAhead) StartReadAhead();
    AwaitTransfer();
    // At the end nothing more is read: later calls find the same empty read.
    if (m_otherCount == 0) return false;
    // Data is read ahead after the spare room, which takes the kept tail.
    std::memcpy(m_other + kSpare - keep, m_buffer + m_end - keep, keep);
    std::swap(m_buffer, m_other);
    m_begin = kSpare - keep;
    m_end = kSpare + m_otherCount;
    ++m_refills;
    StartReadAhead();
    return true;
}

std::span<const std::uint8_t> BufferedFile::ReadSpan(std::size_t size) {
    size = std::min(size, kMaxSpan);
    while (m_end - m_begin < size && Refill(m_end - m_begin)) {}
    const std::size_t take = std::min(size, m_end - m_begin);
    const std::uint8_t* data = m_buffer + m_begin;
    m_begin += take;
    return {data, take};
}

void BufferedFile::StartReadAhead() {
    m_readingAhead = true;
    m_otherCount = 0;
    m_transfer.Start([this] {
        std::size_t count = 0;
        if (m_raw->Read(m_other + kSpare, kBufferSize, count))
            m_otherCount = count;
        else
            m_transferError = ErrorText("reading");
    });
}

void BufferedFile::Write(const void* data, std::size_t size) {
    m_writing = true;
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (m_end >= kBufferSize) WriteFullBuffer();
        const std::size_t take = std::min(size, kBufferSize - m_end);
        std::memcpy(m_buffer + m_end, in, take);
        m_end += take;
        in += take;
        size -= take;
    }
}

std::span<std::uint8_t> BufferedFile::WriteSpan(std::size_t size) {
    m_writing = true;
    if (m_end >= kBufferSize) WriteFullBuffer();
    return {m_buffer + m_end, std::min(size, kMaxSpan)};
}

void BufferedFile::CommitWrite(std::size_t count) {
    m_end += count;
}

void BufferedFile::WriteFullBuffer() {
    // Only the MiB goes out; what spans wrote past it starts the buffer again.
    const std::size_t count = std::min(m_end, kBufferSize);
    if (!m_raw->Write(m_buffer, count)) FailWriting();
    std::memcpy(m_buffer, m_buffer + count, m_end - count);
    m_end -= count;
}

void BufferedFile::Rewind() {
    if (m_writing) {
        // A scratch copy, written and now to be read.
        FlushWrites();
        m_writing = false;
    } else if (m_refills == 1) {
        // Still within the first MiB read: it is read again from the
        // buffer, and what was read ahead stays next, unless it failed.
        m_transfer.Wait();
        if (m_transferError.empty()) {
            m_begin = kSpare;
            return;
        }
    }
    // Whatever was read ahead is dropped, a failed read ahead included.
    m_transfer.Wait();
    m_transferError.clear();
    m_readingAhead = false;
    m_refills = 0;
    m_begin = m_end = 0;
    if (!m_raw->SeekStart()) Fail("seeking in");
}

void BufferedFile::Close() {
    if (m_output && !m_published) {
        Discard();
        return;
    }
    FlushAndClose();
}

void BufferedFile::FlushAndClose() {
    if (!m_open) return;
    m_open = false;
    std::string writeError;
    if (m_writing && m_end > 0 && !m_raw->Write(m_buffer, m_end)) {
        writeError = ErrorText("writing");
        m_writeFailed = true;
    }
    m_end = 0;
    m_transfer.Stop();
    const bool closed = m_raw->Close();
    if (!writeError.empty()) throw FileError(writeError);
    if (!closed) Fail("closing");
}

void BufferedFile::StopAndClose() noexcept {
    m_transfer.Stop();
    if (!m_open) return;
    m_open = false;
    m_raw->Close();
}

void BufferedFile::FlushWrites() {
    if (m_end > 0 && !m_raw->Write(m_buffer, m_end)) FailWriting();
    m_end = 0;
}

PublishStatus BufferedFile::Publish(const std::string& path) {
    if (!m_output || m_published) return PublishStatus::Failed;
    if (m_raw->NamesWithoutHandle()) {
        // Everything that can fail is done before the name is given: a
        // failed close (a delayed write error) leaves nothing named.
        if (m_open) {
            FlushAndClose();
            m_closedWhole = true;
        }
        if (!m_closedWhole) return PublishStatus::Failed;
    } else {
        if (!m_open) return PublishStatus::Failed;
        FlushWrites();
    }
    const PublishStatus status = m_raw->Publish(path);
    if (status != PublishStatus::Published) return status;
    m_published = true;
    m_path = path;
    // Named through the open handle (an unnamed file's link needs it): a
    // failure to close still fails the job, whose Discard then removes the
    // name only while it still holds this file.
    FlushAndClose();
    return status;
}

void BufferedFile::SyncToDisk() {
    FlushWrites();
    if (!m_raw->SyncToDisk()) Fail("flushing to the disk");
}

void BufferedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    FlushWrites();
    if (!m_raw->WriteAt(offset, data, size)) FailWriting();
}

std::string BufferedFile::TemporaryNotRemoved() const {
    return m_published ? m_raw->TemporaryNotRemoved() : std::string();
}

DiscardResult BufferedFile::Discard() noexcept {
    StopAndClose();
    if (!m_output) return {};
    try {
        return m_raw->Remove();
    } catch (...) {
        return {m_path, {}};
    }
}

std::int64_t BufferedFile::Length() {
    return m_raw->Length();
}

std::optional<std::uint32_t> BufferedFile::Permissions() {
    return m_raw->Permissions();
}

std::optional<FileStamp> BufferedFile::Stamp() {
    return m_raw->Stamp();
}

}  // namespace morvane
