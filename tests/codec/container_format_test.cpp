#include "container_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace morvane {
namespace {

StoredKey DescendingKey() {
    StoredKey key{};
    for (std::size_t i = 0; i < kKeySize; ++i) key[i] = static_cast<std::uint8_t>(255 - i);
    return key;
}

// An odd multiplier makes this a permutation of the byte values.
StoredKey AffineKey() {
    StoredKey key{};
    for (std::size_t i = 0; i < kKeySize; ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return key;
}

TEST(ContainerFormat, StorableExtensions) {
    const struct {
        std::string extension;
        bool storable;
    } cases[] = {
        {"", true},          {".pdf", true},     {".tar.gz", true},  {". spaced", true},
        {".\xC3\xA9", true}, {".10:30", false},  {".a/b", false},    {".a\\b", false},
        {".a\tb", false},    {".a\nb", false},   {std::string(".a\0b", 4), false}, {".\x1f", false},
        {".a\x7f", false},   {".\xC2\x80", false}, {".\xC2\x9B[2J", false}, {".\xC2\x9F", false},
        {".\xC2\xA0", true},  // U+00A0, the first character after the C1 controls
    };
    for (const auto& c : cases) EXPECT_EQ(IsStorableExtension(c.extension), c.storable) << c.extension;
}

TEST(ContainerFormat, HeaderSizeByVersionAndExtension) {
    struct Case {
        std::uint32_t version;
        std::size_t extensionLength;
        std::size_t size;
    };
    const Case cases[] = {
        {kFormatVersion2, 4, 544}, {kFormatVersion2, 255, 795}, {kFormatVersion2, 0, 540},
        {kFormatVersion1, 4, 536}, {kFormatVersion1, 0, 532},
        {0x03000000u, 4, 528},  // unknown versions carry no length fields
        {0x00000002u, 0, 524},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HeaderSize(c.version, c.extensionLength), c.size)
            << std::hex << c.version << " L=" << std::dec << c.extensionLength;
}

TEST(ContainerFormat, Version2HeaderByteForByte) {
    const StoredKey key = DescendingKey();
    const auto header = BuildHeader(0x0102030405060708, ".txt", key);
    ASSERT_EQ(header.size(), 544u);
    const std::vector<std::uint8_t> fixedPart = {
        0x7E, 0x6D, 0x71,                                // "~mq"
        0x94, 0x61, 0xD0, 0xE8,                          // magic number
        0x00, 0x00, 0x00, 0x02,                          // version 0x02000000
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // length
        0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // length again
        0x04, '.', 't', 'x', 't',
    };
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.begin() + 32), fixedPart);
    for (std::size_t i = 0; i < kKeySize; ++i) {
        EXPECT_EQ(header[32 + i], key[i]) << i;
        EXPECT_EQ(header[32 + 256 + i], key[i]) << i;
    }
}

TEST(ContainerFormat, EmptyExtensionIsStoredAsPlaceholder) {
    const auto header = BuildHeader(0x100000, "", AffineKey());
    ASSERT_EQ(header.size(), 544u);
    EXPECT_EQ(header[27], 4);
    EXPECT_EQ(std::string(header.begin() + 28, header.begin() + 32), ".~mz");
}

TEST(ContainerFormat, LongestExtensionFillsLengthByte) {
    const std::string extension = "." + std::string(254, 'e');
    const auto header = BuildHeader(0x100000, extension, AffineKey());
    ASSERT_EQ(header.size(), 795u);
    EXPECT_EQ(header[27], 255);
    EXPECT_EQ(std::string(header.begin() + 28, header.begin() + 283), extension);
}

TEST(ContainerFormat, TransformReversesAndSubstitutes) {
    const StoredKey table = AffineKey();
    const std::uint8_t input[3] = {'x', 'y', 'z'};
    std::uint8_t output[3] = {};
    TransformBlock(input, output, 3, table);
    EXPECT_EQ(output[0], table['z']);
    EXPECT_EQ(output[1], table['y']);
    EXPECT_EQ(output[2], table['x']);
}

TEST(ContainerFormat, TransformWithInverseTableRestoresFullBlock) {
    const StoredKey table = AffineKey();
    StoredKey inverse{};
    for (std::size_t v = 0; v < kKeySize; ++v) inverse[table[v]] = static_cast<std::uint8_t>(v);

    std::vector<std::uint8_t> input(kBlockSize);
    std::iota(input.begin(), input.end(), std::uint8_t{0});
    input[1] = 0xAB;  // not a palindrome under the table
    std::vector<std::uint8_t> stored(kBlockSize), restored(kBlockSize);
    TransformBlock(input.data(), stored.data(), kBlockSize, table);
    for (std::size_t i = 0; i < kBlockSize; ++i)
        ASSERT_EQ(stored[kBlockSize - 1 - i], table[input[i]]) << i;
    TransformBlock(stored.data(), restored.data(), kBlockSize, inverse);
    EXPECT_EQ(restored, input);
}

TEST(ContainerFormat, TransformOfOneByte) {
    const StoredKey table = DescendingKey();
    const std::uint8_t input = 0x10;
    std::uint8_t output = 0;
    TransformBlock(&input, &output, 1, table);
    EXPECT_EQ(output, 0xEF);
}

}  // namespace
}  // namespace morvane
