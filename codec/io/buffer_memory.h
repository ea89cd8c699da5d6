// Memory for a file's buffers: whole pages, page-aligned, straight from the
// system. A fresh page costs a fault at its first touch, which is dear in a
// virtual machine and adds up over a job's buffers. So on Linux a region of
// at least a huge page (a reader's pair of buffers) is asked for in huge
// pages, few faults for many bytes, and the rest is faulted in by one call
// rather than page by page.
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
    void* m_mapping = nullptr;                       // what goes back to the system
    [[maybe_unused]] std::size_t m_mappingSize = 0;  // its length, where it is mapped (Linux)
};

}  // namespace morvane
