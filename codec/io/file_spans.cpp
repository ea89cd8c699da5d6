// File's span access for files without buffers of their own: one copy
// through a block-sized buffer. BufferedFile hands out its buffers instead.
#include "platform.h"

namespace morvane {

std::span<const std::uint8_t> File::ReadSpan(std::size_t size) {
    m_spanBuffer.resize(kMaxSpan);
    return {m_spanBuffer.data(), Read(m_spanBuffer.data(), std::min(size, kMaxSpan))};
}

std::span<std::uint8_t> File::WriteSpan(std::size_t size) {
    m_spanBuffer.resize(kMaxSpan);
    return {m_spanBuffer.data(), std::min(size, kMaxSpan)};
}

void File::CommitWrite(std::size_t count) {
    Write(m_spanBuffer.data(), count);
}

}  // namespace morvane
