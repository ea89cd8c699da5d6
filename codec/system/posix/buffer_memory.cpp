// Buffer memory mapped from the system. A region that covers a whole huge
// page starts on one and asks for huge pages; every region is faulted in by
// one call where the kernel has it, which costs less than a fault per page.
// Under AddressSanitizer the memory comes from its heap instead, so that an
// overrun of a buffer is still caught.
#include "buffer_memory.h"

#include <sys/mman.h>

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define MORVANE_BUFFERS_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORVANE_BUFFERS_ON_HEAP 1
#endif
#endif

namespace morvane {

#ifdef MORVANE_BUFFERS_ON_HEAP

BufferMemory::BufferMemory(std::size_t size) : m_mapping(::operator new[](size, std::align_val_t{4096})) {
    m_data = static_cast<std::uint8_t*>(m_mapping);
}

BufferMemory::~BufferMemory() {
    ::operator delete[](m_mapping, std::align_val_t{4096});
}

#else

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;

constexpr std::uintptr_t RoundUp(std::uintptr_t value, std::uintptr_t unit) {
    return (value + unit - 1) / unit * unit;
}

}  // namespace

BufferMemory::BufferMemory(std::size_t size) {
    size = RoundUp(size, kPage);
    // A huge page's worth of slack lets the region start on a huge page.
    const std::size_t slack = size >= kHugePage ? kHugePage : 0;
    void* mapping = ::mmap(nullptr, size + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = RoundUp(start, slack > 0 ? kHugePage : kPage);
    if (aligned > start) ::munmap(mapping, aligned - start);
    if (start + slack > aligned) ::munmap(reinterpret_cast<void*>(aligned + size), start + slack - aligned);
    m_mapping = reinterpret_cast<void*>(aligned);
    m_mappingSize = size;
#ifdef MADV_HUGEPAGE
    if (slack > 0) ::madvise(m_mapping, size, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    ::madvise(m_mapping, size, MADV_POPULATE_WRITE);
#endif
    m_data = static_cast<std::uint8_t*>(m_mapping);
}

BufferMemory::~BufferMemory() {
    ::munmap(m_mapping, m_mappingSize);
}

#endif

}  // namespace morvane
