// Reading a container's header: the facts it holds and the first problem
// that makes decoding refuse it. The decode job and `morvane-cli info` both
// read through here, so what info reports is what decoding does. Safe on
// any input: every field is bounded before it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "container_format.h"

namespace morvane {

enum class HeaderProblem {
    None,
    Unreadable,         // the file ends inside the magic or the magic number
    NotAContainer,      // wrong magic or magic number
    Truncated,          // the file ends inside the rest of the header
    UnsafeExtension,    // the stored extension could leave the folder or name a device
    KeyNotPermutation,  // the first key copy is not a permutation of the byte values
    LengthsDisagree,    // a stored length does not match the payload's
};

// What could be read; a fact stays empty when the file ends before it.
// Reading goes on after a problem while there are bytes, so the facts of a
// damaged header are complete; `problem` is the first one, which decoding
// reports.
struct ContainerHeader {
    HeaderProblem problem = HeaderProblem::None;
    std::optional<std::uint32_t> version;
    // Only for versions that store lengths (1 and 2).
    std::optional<std::uint64_t> firstLength;
    std::optional<std::uint64_t> secondLength;
    std::optional<std::string> extension;  // the bytes as stored
    std::optional<bool> keyIsPermutation;
    std::optional<bool> keyCopiesAgree;  // the second copy is never used
    // The container's length less its header; set once the whole header
    // was read and the container holds it.
    std::optional<std::uint64_t> payloadLength;
    ByteTable inverseKey{};  // the decoding table, valid when keyIsPermutation is true
};

// Reads up to `size` bytes of the container into `into`, fewer only at its
// end, and returns the count read; the format knows nothing of files.
using HeaderReader = std::function<std::size_t(void* into, std::size_t size)>;

// Reads the header through `read` from the start of a container of
// `containerLength` bytes. A read failure raises what `read` raises.
ContainerHeader ReadContainerHeader(const HeaderReader& read, std::uint64_t containerLength);
// The same from a stream, whose length is known only once it ends: a
// version 2 header's payloadLength is its stored length, and the lengths
// that disagree with each other are a problem; for other versions it stays
// empty.
ContainerHeader ReadStreamHeader(const HeaderReader& read);
// The same from a whole container in memory.
ContainerHeader ReadContainerHeader(const std::uint8_t* bytes, std::size_t size);

// The message decoding shows for a header with `problem` in the container
// at `path`; empty for HeaderProblem::None.
std::string HeaderRefusal(HeaderProblem problem, const std::string& path);

// A short phrase for a problem ("the stored key is not a permutation"),
// empty for HeaderProblem::None.
const char* DescribeProblem(HeaderProblem problem);

}  // namespace morvane
