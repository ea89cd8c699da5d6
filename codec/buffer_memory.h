// Memory for a file's buffers: whole pages, page-aligned, straight from the
// system. A fresh page costs a fault at its first touch, and in a virtual
// machine each 4 KiB fault was seen to cost about 10 us: touching a job's
// 3 MiB of buffers took 9 ms, on a job of 160 ms. So on Linux a region of at
// least a huge page (a reader's pair of buffers) is asked for in huge pages,
// which took 0.3 ms, and the rest is faulted in by one call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvane {

class BufferMemory {
public:
    // Raises std::bad_alloc when the system has no memory to give.
    explicit BufferMemory(std::size_t size);
    ~BufferMemory();
    BufferMemory(const BufferMemory&) = delete;
    BufferMemory& operator=(const BufferMemory&) = delete;

    std::uint8_t* Data() const { return m_data; }

private:
    std::uint8_t* m_data = nullptr;
    void* m_mapping = nullptr;  // what goes back to the system
    [[maybe_unused]] std::size_t m_mappingSize = 0;  // its length, where it is mapped (Linux)
};

}  // namespace morvane
