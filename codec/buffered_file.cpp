#include "buffered_file.h"

#include <cstring>

namespace morvane {

BufferedFile::Buffer BufferedFile::NewBuffer() {
    return Buffer(static_cast<std::uint8_t*>(::operator new[](kBufferSize, kBufferAlignment)));
}

BufferedFile::BufferedFile(std::string path) : m_path(std::move(path)), m_buffer(NewBuffer()) {}

BufferedFile::~BufferedFile() {
    StopWriter();
}

std::string BufferedFile::ErrorText(const char* what) {
    return "An error occurred while " + std::string(what) + " \"" + m_path + "\": " + RawErrorText();
}

void BufferedFile::Fail(const char* what) {
    throw FileError(ErrorText(what));
}

std::size_t BufferedFile::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        if (m_begin == m_end) {
            std::size_t count = 0;
            if (!RawRead(m_buffer.get(), kBufferSize, count)) Fail("reading");
            if (count == 0) break;
            m_begin = 0;
            m_end = count;
        }
        const std::size_t take = std::min(size - done, m_end - m_begin);
        std::memcpy(out + done, m_buffer.get() + m_begin, take);
        m_begin += take;
        done += take;
    }
    return done;
}

void BufferedFile::Write(const void* data, std::size_t size) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (m_end == kBufferSize) QueueWrite();
        const std::size_t take = std::min(size, kBufferSize - m_end);
        std::memcpy(m_buffer.get() + m_end, in, take);
        m_end += take;
        in += take;
        size -= take;
    }
}

void BufferedFile::QueueWrite() {
    AwaitWriter();
    std::unique_lock lock(m_mutex);
    if (!m_writer.joinable()) m_writer = std::thread(&BufferedFile::WriterLoop, this);
    m_queuedSize = m_end;
    m_queued = std::move(m_buffer);
    m_buffer = m_spare ? std::move(m_spare) : NewBuffer();
    m_end = 0;
    m_changed.notify_all();
}

void BufferedFile::AwaitWriter() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_queued; });
    if (!m_writeError.empty()) throw FileError(m_writeError);
}

void BufferedFile::WriterLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_queued || m_stopWriter; });
        if (!m_queued) return;
        // Once a write has failed, later buffers are dropped: the file is
        // already incomplete and the caller is told at its next call.
        if (m_writeError.empty()) {
            lock.unlock();
            const bool written = RawWrite(m_queued.get(), m_queuedSize);
            std::string error = written ? std::string() : ErrorText("writing");
            lock.lock();
            m_writeError = std::move(error);
        }
        m_spare = std::move(m_queued);
        m_changed.notify_all();
    }
}

void BufferedFile::StopWriter() noexcept {
    {
        std::lock_guard lock(m_mutex);
        m_stopWriter = true;
        m_changed.notify_all();
    }
    if (m_writer.joinable()) m_writer.join();
}

void BufferedFile::Rewind() {
    m_begin = m_end = 0;
    if (!RawSeekStart()) Fail("seeking in");
}

void BufferedFile::Close() {
    if (!m_open) return;
    m_open = false;
    std::string writeError;
    try {
        AwaitWriter();
        StopWriter();
        if (m_end > 0 && !RawWrite(m_buffer.get(), m_end)) writeError = ErrorText("writing");
        m_end = 0;
    } catch (const FileError& error) {
        writeError = error.what();
    }
    StopWriter();
    const bool closed = RawClose();
    if (!writeError.empty()) throw FileError(writeError);
    if (!closed) Fail("closing");
}

void BufferedFile::CloseQuietly() noexcept {
    StopWriter();
    if (!m_open) return;
    m_open = false;
    RawClose();
}

std::int64_t BufferedFile::Length() {
    return RawLength();
}

}  // namespace morvane
