// Containers taken apart and put together again in other forms: another
// version with its own length fields, a changed key, extension or payload.
#pragma once

#include <cstddef>
#include <cstdint>

#include "test_files.h"

namespace morvane::test {

// The parts of a container after its version and length fields.
struct ContainerParts {
    Bytes extension;
    Bytes key;
    Bytes secondKey;
    Bytes payload;
};

// The parts of a version 2 container that holds at least its whole header.
ContainerParts Dissect(const Bytes& container);

// Both length fields holding `storedLength`, each of the size `version`
// gives them; none for a version other than 1 and 2.
Bytes LengthFields(std::uint32_t version, std::uint64_t storedLength);

// A container of `version` with the given length fields and parts.
Bytes Assemble(std::uint32_t version, const Bytes& lengthFields, const ContainerParts& parts);

// A version 2 container rewritten in `version`, its length fields holding
// `storedLength`.
Bytes InVersion(const Bytes& version2, std::uint32_t version, std::uint64_t storedLength);

}  // namespace morvane::test
