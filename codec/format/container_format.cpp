#include "container_format.h"

#include <algorithm>
#include <cassert>

namespace morvane {

bool IsStorableExtension(const std::string& extension) {
    return IsSafeExtension(reinterpret_cast<const std::uint8_t*>(extension.data()), extension.size());
}

std::size_t LengthFieldsSize(std::uint32_t version) {
    switch (version) {
    case kFormatVersion1:
        return 8;
    case kFormatVersion2:
        return 16;
    default:
        return 0;
    }
}

std::size_t HeaderSize(std::uint32_t version, std::size_t extensionLength) {
    // magic 3 + magic number 4 + version 4 + lengths + L byte + extension + two keys
    return 3 + 4 + 4 + LengthFieldsSize(version) + 1 + extensionLength + 2 * kKeySize;
}

bool IsSafeExtension(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t c = bytes[i];
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
        // U+0080 to U+009F in UTF-8: the C1 controls, U+009B a terminal's CSI.
        if (c == 0xC2 && i + 1 < size && bytes[i + 1] >= 0x80 && bytes[i + 1] <= 0x9F) return false;
    }
    return true;
}

void PutLittleEndian(std::uint8_t* out, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetLittleEndian(const std::uint8_t* in, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value |= std::uint64_t{in[i]} << (8 * i);
    return value;
}

std::array<std::uint8_t, 16> LengthFields(std::int64_t length) {
    std::array<std::uint8_t, 16> fields{};
    PutLittleEndian(fields.data(), static_cast<std::uint64_t>(length), 8);
    PutLittleEndian(fields.data() + 8, static_cast<std::uint64_t>(length), 8);
    return fields;
}

std::vector<std::uint8_t> BuildHeader(std::int64_t sourceLength, const std::string& extension, const StoredKey& key) {
    const std::string stored = extension.empty() ? std::string(kNoExtension) : extension;
    // Its length is one byte of the header; path splitting keeps it within.
    assert(stored.size() <= kMaxExtensionLength);
    std::vector<std::uint8_t> header(HeaderSize(kFormatVersion2, stored.size()));
    std::uint8_t* p = header.data();
    for (std::uint8_t b : kMagic) *p++ = b;
    PutLittleEndian(p, kMagicNumber, 4), p += 4;
    PutLittleEndian(p, kFormatVersion2, 4), p += 4;
    const auto lengths = LengthFields(sourceLength);
    p = std::copy(lengths.begin(), lengths.end(), p);
    *p++ = static_cast<std::uint8_t>(stored.size());
    for (char c : stored) *p++ = static_cast<std::uint8_t>(c);
    for (int copy = 0; copy < 2; ++copy)
        for (std::uint8_t b : key) *p++ = b;
    return header;
}

void TransformBlock(const std::uint8_t* input, std::uint8_t* output, std::size_t size, const ByteTable& table) {
    std::uint8_t* out = output + size;
    for (std::size_t i = 0; i < size; ++i) *--out = table[input[i]];
}

}  // namespace morvane
