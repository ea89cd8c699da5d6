#include "test_containers.h"

#include <initializer_list>

#include "container_format.h"

namespace morvane::test {
namespace {

Bytes LittleEndian(std::uint64_t value, std::size_t size) {
    Bytes bytes(size);
    PutLittleEndian(bytes.data(), value, size);
    return bytes;
}

}  // namespace

ContainerParts Dissect(const Bytes& container) {
    const std::size_t l = container.at(27);
    const auto at = [&](std::size_t offset) { return container.begin() + static_cast<std::ptrdiff_t>(offset); };
    return {Bytes(at(28), at(28 + l)), Bytes(at(28 + l), at(284 + l)), Bytes(at(284 + l), at(540 + l)),
            Bytes(at(540 + l), container.end())};
}

Bytes LengthFields(std::uint32_t version, std::uint64_t storedLength) {
    const std::size_t size = LengthFieldsSize(version) / 2;
    Bytes fields = LittleEndian(storedLength, size);
    const Bytes copy = LittleEndian(storedLength, size);
    fields.insert(fields.end(), copy.begin(), copy.end());
    return fields;
}

Bytes Assemble(std::uint32_t version, const Bytes& lengthFields, const ContainerParts& parts) {
    Bytes bytes = {0x7E, 0x6D, 0x71};
    for (const Bytes& field : {LittleEndian(kMagicNumber, 4), LittleEndian(version, 4), lengthFields,
                               Bytes{static_cast<std::uint8_t>(parts.extension.size())}, parts.extension,
                               parts.key, parts.secondKey, parts.payload})
        bytes.insert(bytes.end(), field.begin(), field.end());
    return bytes;
}

Bytes InVersion(const Bytes& version2, std::uint32_t version, std::uint64_t storedLength) {
    return Assemble(version, LengthFields(version, storedLength), Dissect(version2));
}

}  // namespace morvane::test
