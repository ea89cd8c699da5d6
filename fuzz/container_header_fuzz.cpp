// The container header reader on arbitrary bytes. Whatever they are, it must
// not read out of bounds, and what it reports must hang together: a sound
// header has every fact, a payload that fills the rest of the container and
// a key that the decoding table inverts; a refused one has a message.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "container_header.h"

using morvane::HeaderProblem;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const morvane::ContainerHeader header = morvane::ReadContainerHeader(data, size);
    const bool sound = header.problem == HeaderProblem::None;
    Require(morvane::HeaderRefusal(header.problem, "x").empty() == sound);
    if (!sound) return 0;

    Require(header.version && header.extension && header.keyIsPermutation && header.payloadLength);
    Require(*header.keyIsPermutation);
    const std::string& extension = *header.extension;
    Require(morvane::IsSafeExtension(reinterpret_cast<const std::uint8_t*>(extension.data()),
                                     extension.size()));
    Require(morvane::HeaderSize(*header.version, extension.size()) + *header.payloadLength == size);
    // The decoding table undoes the stored key.
    const std::size_t keyAt = morvane::HeaderSize(*header.version, extension.size()) - 2 * morvane::kKeySize;
    for (std::size_t i = 0; i < morvane::kKeySize; ++i)
        Require(header.inverseKey[data[keyAt + i]] == i);
    return 0;
}
