// The container: a header (magic, magic number, version, lengths, the
// source's extension, the key twice) followed by the payload. Numbers are
// little-endian; fields follow one another without padding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane {

inline constexpr std::array<std::uint8_t, 3> kMagic = {'~', 'm', 'q'};
inline constexpr std::uint32_t kMagicNumber = 0xE8D06194u;
inline constexpr std::uint32_t kFormatVersion1 = 0x01000000u;  // 32-bit lengths
inline constexpr std::uint32_t kFormatVersion2 = 0x02000000u;  // 64-bit lengths; written
inline constexpr char kContainerExtension[] = ".~mq";
// Stored in place of an empty extension.
inline constexpr char kNoExtension[] = ".~mz";
inline constexpr std::size_t kBlockSize = 4096;
inline constexpr std::size_t kKeySize = 256;
inline constexpr std::size_t kMaxExtensionLength = 255;

// A byte substitution: the key as stored, or its inverse for decoding.
using ByteTable = std::array<std::uint8_t, kKeySize>;
using StoredKey = ByteTable;

// True when an extension may be stored and restored (IsSafeExtension). The
// encoder refuses what the decoder would: both go by this one rule.
bool IsStorableExtension(const std::string& extension);

// Size of the two length fields for a version: 16, 8, or 0 for a version
// this program does not know.
std::size_t LengthFieldsSize(std::uint32_t version);

// Where a version 2 header keeps its two lengths: a stream's encoder fills
// them in once the stream has ended.
inline constexpr std::size_t kLengthFieldsOffset = 3 + 4 + 4;
// The two length fields of a version 2 header for a payload of `length` bytes.
std::array<std::uint8_t, 16> LengthFields(std::int64_t length);

// Bytes before the payload for a version and an extension of `extensionLength`.
std::size_t HeaderSize(std::uint32_t version, std::size_t extensionLength);

// The version 2 header as the encoder writes it. An empty extension is
// stored as ".~mz"; `extension` must be at most 255 characters.
std::vector<std::uint8_t> BuildHeader(std::int64_t sourceLength, const std::string& extension, const StoredKey& key);

// False for an extension that could leave the target folder, name a device
// or drive a terminal: one holding '/', '\\', ':' or a control character (a
// byte below 0x20, DEL, or U+0080 to U+009F written in UTF-8).
bool IsSafeExtension(const std::uint8_t* bytes, std::size_t size);

void PutLittleEndian(std::uint8_t* out, std::uint64_t value, std::size_t bytes);
std::uint64_t GetLittleEndian(const std::uint8_t* in, std::size_t bytes);

// Turns one block of `size` bytes (1 to 4096) into its other form: output
// byte size-1-i is table[input byte i]. The same rule encodes (with the key)
// and decodes (with the inverse table). BlockTransform does it fast.
void TransformBlock(const std::uint8_t* input, std::uint8_t* output, std::size_t size, const ByteTable& table);

}  // namespace morvane
