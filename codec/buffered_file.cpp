#include "buffered_file.h"

#include <cstring>

namespace morvane {

BufferedFile::BufferedFile(std::string path)
    : m_path(std::move(path)),
      m_buffer(static_cast<std::uint8_t*>(::operator new[](kBufferSize, kBufferAlignment))) {}

void BufferedFile::Fail(const char* what) {
    throw FileError("An error occurred while " + std::string(what) + " \"" + m_path +
                    "\": " + RawErrorText());
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
    m_writing = true;
    const auto* in = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (m_end == kBufferSize) Flush();
        const std::size_t take = std::min(size, kBufferSize - m_end);
        std::memcpy(m_buffer.get() + m_end, in, take);
        m_end += take;
        in += take;
        size -= take;
    }
}

void BufferedFile::Flush() {
    if (m_writing && m_end > 0) {
        const std::size_t pending = m_end;
        m_end = 0;
        if (!RawWrite(m_buffer.get(), pending)) Fail("writing");
    }
}

void BufferedFile::Rewind() {
    Flush();
    m_begin = m_end = 0;
    if (!RawSeekStart()) Fail("seeking in");
}

void BufferedFile::Close() {
    if (!m_open) return;
    m_open = false;
    bool flushed = true;
    std::string cause;
    try {
        Flush();
    } catch (const FileError& error) {
        flushed = false;
        cause = error.what();
    }
    const bool closed = RawClose();
    if (!flushed) throw FileError(cause);
    if (!closed) Fail("closing");
}

void BufferedFile::CloseQuietly() noexcept {
    if (!m_open) return;
    m_open = false;
    RawClose();
}

std::int64_t BufferedFile::Length() {
    return RawLength();
}

}  // namespace morvane
