// The container header reader on bytes: the facts of sound headers of each
// version, the first problem of each kind of damage, and any input at all,
// cut anywhere or random, read safely.
#include <gtest/gtest.h>

#include <random>

#include "container_header.h"
#include "test_containers.h"
#include "test_files.h"

namespace morvane::test {
namespace {

constexpr std::size_t kPayload = 5000;

StoredKey SomePermutation() {
    StoredKey key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return key;
}

// A version 2 container of `kPayload` bytes whose source had `extension`.
Bytes Container(const std::string& extension = ".pdf") {
    Bytes bytes = BuildHeader(kPayload, extension, SomePermutation());
    bytes.resize(bytes.size() + kPayload, 0x5A);
    return bytes;
}

ContainerHeader Read(const Bytes& bytes) { return ReadContainerHeader(bytes.data(), bytes.size()); }

TEST(ContainerHeader, FactsOfSoundHeaders) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::uint32_t version;
        std::optional<std::uint64_t> storedLength;
    };
    const Case cases[] = {
        {"version 2", Container(), kFormatVersion2, kPayload},
        {"version 1", InVersion(Container(), kFormatVersion1, kPayload), kFormatVersion1, kPayload},
        {"version 1 keeps the length modulo 2^32", InVersion(Container(), kFormatVersion1, kPayload + (1ull << 32)),
         kFormatVersion1, kPayload},
        {"other version", InVersion(Container(), 0x03000000u, 0), 0x03000000u, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ContainerHeader header = Read(c.bytes);
        EXPECT_EQ(header.problem, HeaderProblem::None);
        EXPECT_EQ(header.version, c.version);
        EXPECT_EQ(header.firstLength, c.storedLength);
        EXPECT_EQ(header.secondLength, c.storedLength);
        EXPECT_EQ(header.extension, ".pdf");
        EXPECT_EQ(header.keyIsPermutation, true);
        EXPECT_EQ(header.keyCopiesAgree, true);
        EXPECT_EQ(header.payloadLength, kPayload);
        EXPECT_EQ(header.inverseKey[SomePermutation()[200]], 200);
    }
}

TEST(ContainerHeader, FirstProblemOfEachDamage) {
    const Bytes sound = Container();
    const std::size_t keyAt = 27 + 1 + 4;  // after the extension ".pdf"
    const auto changed = [&](std::size_t offset, std::uint8_t value) {
        Bytes bytes = sound;
        bytes[offset] = value;
        return bytes;
    };
    const auto cut = [&](std::size_t size) { return Bytes(sound.begin(), sound.begin() + size); };
    struct Case {
        const char* what;
        Bytes bytes;
        HeaderProblem problem;
    };
    const Case cases[] = {
        {"empty", {}, HeaderProblem::Unreadable},
        {"ends in the magic", cut(2), HeaderProblem::Unreadable},
        {"ends in the magic number", cut(6), HeaderProblem::Unreadable},
        {"wrong magic", changed(1, 'M'), HeaderProblem::NotAContainer},
        {"wrong magic number", changed(6, 0), HeaderProblem::NotAContainer},
        {"wrong magic, cut short", Bytes{'~', 'm', 'x'}, HeaderProblem::NotAContainer},
        {"ends in the version", cut(9), HeaderProblem::Truncated},
        {"ends in the lengths", cut(20), HeaderProblem::Truncated},
        {"ends in the extension", cut(29), HeaderProblem::Truncated},
        {"ends in the second key", cut(keyAt + 300), HeaderProblem::Truncated},
        {"no payload", cut(keyAt + 512), HeaderProblem::LengthsDisagree},
        {"a byte short", cut(sound.size() - 1), HeaderProblem::LengthsDisagree},
        {"a byte added", [&] { Bytes b = sound; b.push_back(0); return b; }(), HeaderProblem::LengthsDisagree},
        {"first length", changed(11, 0), HeaderProblem::LengthsDisagree},
        {"second length", changed(26, 1), HeaderProblem::LengthsDisagree},
        {"version 1 length", InVersion(Container(), kFormatVersion1, kPayload + 1), HeaderProblem::LengthsDisagree},
        {"key not a permutation", changed(keyAt, sound[keyAt + 1]), HeaderProblem::KeyNotPermutation},
        {"extension with /", changed(29, '/'), HeaderProblem::UnsafeExtension},
        {"extension with \\", changed(29, '\\'), HeaderProblem::UnsafeExtension},
        {"extension with :", changed(29, ':'), HeaderProblem::UnsafeExtension},
        {"extension with a control byte", changed(29, 0x1F), HeaderProblem::UnsafeExtension},
        {"extension with DEL", changed(29, 0x7F), HeaderProblem::UnsafeExtension},
        {"extension with a C1 control", [&] { Bytes b = changed(28, 0xC2); b[29] = 0x9B; return b; }(),
         HeaderProblem::UnsafeExtension},
        {"unsafe extension before a bad key", [&] { Bytes b = changed(29, '/'); b[keyAt] = b[keyAt + 1]; return b; }(),
         HeaderProblem::UnsafeExtension},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.bytes).problem, c.problem) << c.what;
    }
}

TEST(ContainerHeader, DamagedHeaderStillGivesItsFacts) {
    Bytes bytes = Container(".a/b");
    bytes[32] = bytes[33];  // the first key copy
    bytes.push_back(0);
    const ContainerHeader header = Read(bytes);
    EXPECT_EQ(header.problem, HeaderProblem::UnsafeExtension);
    EXPECT_EQ(header.extension, ".a/b");
    EXPECT_EQ(header.keyIsPermutation, false);
    EXPECT_EQ(header.keyCopiesAgree, false);
    EXPECT_EQ(header.payloadLength, kPayload + 1);
    EXPECT_EQ(header.firstLength, kPayload);
}

TEST(ContainerHeader, SecondKeyCopyIsOnlyReported) {
    Bytes bytes = Container();
    bytes[27 + 5 + 256] ^= 1;  // the second copy is not a permutation now
    const ContainerHeader header = Read(bytes);
    EXPECT_EQ(header.problem, HeaderProblem::None);
    EXPECT_EQ(header.keyCopiesAgree, false);
}

TEST(ContainerHeader, EveryCutIsReadSafely) {
    const Bytes sound = Container(std::string(255, 'e'));
    const std::size_t headerSize = sound.size() - kPayload;
    for (std::size_t size = 0; size < headerSize; ++size) {
        const ContainerHeader header = Read(Bytes(sound.begin(), sound.begin() + size));
        ASSERT_TRUE(header.problem == HeaderProblem::Unreadable || header.problem == HeaderProblem::Truncated)
            << size;
        EXPECT_EQ(header.payloadLength.has_value(), false);
    }
}

TEST(ContainerHeader, RandomBytesAreReadSafely) {
    std::mt19937 random(12);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes(random() % 1200);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        // Mostly with a valid start, so the later fields are reached.
        if (round % 4 != 0 && bytes.size() >= 11) {
            const Bytes start = Container();
            std::copy(start.begin(), start.begin() + 7, bytes.begin());
            PutLittleEndian(&bytes[7], round % 3 == 0 ? kFormatVersion1 : kFormatVersion2, 4);
        }
        const ContainerHeader header = Read(bytes);
        if (header.problem == HeaderProblem::None) {
            ASSERT_TRUE(header.payloadLength.has_value());
            ASSERT_LE(*header.payloadLength, bytes.size());
        }
    }
}

TEST(ContainerHeader, RefusalsAreDecodingsMessages) {
    const std::string path = "in/a.~mq";
    struct Case {
        HeaderProblem problem;
        std::string message;
    };
    const std::string damaged = "The encoded file \"in/a.~mq\" is damaged.";
    const Case cases[] = {
        {HeaderProblem::None, ""},
        {HeaderProblem::Unreadable, "Unable to read from file \"in/a.~mq\""},
        {HeaderProblem::NotAContainer, "Inavalid encoded file \"in/a.~mq\" .\nPlease select a valid encoded file."},
        {HeaderProblem::Truncated, damaged},
        {HeaderProblem::UnsafeExtension, damaged},
        {HeaderProblem::KeyNotPermutation, damaged},
        {HeaderProblem::LengthsDisagree, damaged},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HeaderRefusal(c.problem, path), c.message);
        EXPECT_EQ(std::string(DescribeProblem(c.problem)).empty(), c.problem == HeaderProblem::None);
    }
}

}  // namespace
}  // namespace morvane::test
