// Buffer memory committed by VirtualAlloc, which gives whole pages on a
// 64 KiB boundary and keeps these large blocks out of the heap.
#include "buffer_memory.h"

#include <windows.h>

#include <new>

namespace morvane {

BufferMemory::BufferMemory(std::size_t size) {
    m_mapping = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (m_mapping == nullptr) throw std::bad_alloc();
    m_data = static_cast<std::uint8_t*>(m_mapping);
}

BufferMemory::~BufferMemory() {
    ::VirtualFree(m_mapping, 0, MEM_RELEASE);
}

}  // namespace morvane
