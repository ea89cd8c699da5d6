#include "substitution_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace morvane {
namespace {

constexpr std::int64_t kSomeSecond = 1700000000;

std::array<std::int32_t, kKeySize> KeyTableFor(std::int64_t seconds) {
    std::array<std::int32_t, kKeySize> table{};
    MakeRandomPermutation(table.data(), static_cast<int>(kKeySize), seconds);
    return table;
}

bool IsPermutationOfFirst(const std::int32_t* table, int count) {
    std::vector<std::int32_t> sorted(table, table + count);
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i)
        if (sorted[static_cast<std::size_t>(i)] != i) return false;
    return true;
}

TEST(CrtRandom, DrawsOfTheClassicRuntimeForSeedOne) {
    CrtRandom random(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int draw : expected) EXPECT_EQ(random.Next(), draw);
}

TEST(CrtRandom, ReseedingRestartsTheSequence) {
    CrtRandom random(7);
    const int first = random.Next();
    random.Next();
    random = CrtRandom(7);
    EXPECT_EQ(random.Next(), first);
}

TEST(MakeRandomPermutation, FullKeyIsAPermutation) {
    const auto table = KeyTableFor(kSomeSecond);
    EXPECT_TRUE(IsPermutationOfFirst(table.data(), 256));
}

TEST(MakeRandomPermutation, KeyDependsOnlyOnTheSecond) {
    EXPECT_EQ(KeyTableFor(kSomeSecond), KeyTableFor(kSomeSecond));
    EXPECT_NE(KeyTableFor(kSomeSecond), KeyTableFor(kSomeSecond + 1));
}

TEST(MakeRandomPermutation, KeysAreTheSameOnEveryPlatform) {
    // Seed 1's first draw is 41, below 256: slot 41 takes value 0.
    const auto one = KeyTableFor(1);
    EXPECT_EQ(one[41], 0);
    const std::int32_t firstOfOne[] = {143, 87, 251, 48, 59, 222, 128, 215, 37, 54, 181, 153, 47, 162, 255, 85};
    EXPECT_TRUE(std::equal(std::begin(firstOfOne), std::end(firstOfOne), one.begin()));
    const std::int32_t firstOfSome[] = {249, 2, 237, 21, 133, 188, 204, 167, 122, 17, 101, 78, 5, 174, 253, 154};
    EXPECT_TRUE(std::equal(std::begin(firstOfSome), std::end(firstOfSome), KeyTableFor(kSomeSecond).begin()));
}

TEST(MakeRandomPermutation, CountOneGivesZero) {
    std::int32_t table[2] = {77, 77};
    MakeRandomPermutation(table, 1, kSomeSecond);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 77);
}

// Nothing is written without a table or without entries: a null table of
// a full count would fault here (and under AddressSanitizer) if written.
TEST(MakeRandomPermutation, NoTableOrNoEntriesWritesNothing) {
    MakeRandomPermutation(nullptr, static_cast<int>(kKeySize), kSomeSecond);
    // Counts are taken by their low 16 bits as a signed number.
    for (int count : {0, -1, -256, 65536, 0x8000, 0x18000}) {
        std::array<std::int32_t, kKeySize> table;
        table.fill(0x5A5A);
        MakeRandomPermutation(table.data(), count, kSomeSecond);
        EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](std::int32_t v) { return v == 0x5A5A; }))
            << "count " << count;
    }
}

TEST(MakeRandomPermutation, CountAbove16BitsActsByItsLowBits) {
    std::array<std::int32_t, 300> table;
    table.fill(0x5A5A);
    MakeRandomPermutation(table.data(), 65792, kSomeSecond);  // 0x10100
    EXPECT_TRUE(IsPermutationOfFirst(table.data(), 256));
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + 256, KeyTableFor(kSomeSecond).begin()));
    EXPECT_EQ(table[256], 0x5A5A);
}

TEST(MakeRandomPermutation, SmallCountIsAPermutationOfItsRange) {
    std::array<std::int32_t, 10> table;
    table.fill(0x5A5A);
    MakeRandomPermutation(table.data(), 7, kSomeSecond);
    EXPECT_TRUE(IsPermutationOfFirst(table.data(), 7));
    EXPECT_EQ(table[7], 0x5A5A);
}

TEST(StoreKey, KeepsTheLowByteOfEachEntry) {
    std::int32_t table[kKeySize];
    for (std::size_t i = 0; i < kKeySize; ++i) table[i] = static_cast<std::int32_t>(0x1200 + (255 - i));
    const StoredKey key = StoreKey(table);
    for (std::size_t i = 0; i < kKeySize; ++i) EXPECT_EQ(key[i], 255 - i);
}

TEST(InvertKey, RoundTripsEveryByteValue) {
    std::int32_t table[kKeySize];
    MakeRandomPermutation(table, static_cast<int>(kKeySize), kSomeSecond);
    const StoredKey key = StoreKey(table);
    StoredKey inverse{};
    ASSERT_TRUE(InvertKey(key, inverse));
    for (std::size_t b = 0; b < kKeySize; ++b) {
        EXPECT_EQ(inverse[key[b]], b);
        EXPECT_EQ(key[inverse[b]], b);
    }
}

TEST(InvertKey, NonPermutationIsReportedAndHighestPositionWins) {
    StoredKey key{};
    for (std::size_t i = 0; i < kKeySize; ++i) key[i] = static_cast<std::uint8_t>(i);
    key[10] = 200;  // 200 now at positions 10 and 200; 10 occurs nowhere
    key[250] = 5;   // 5 at positions 5 and 250
    StoredKey inverse{};
    EXPECT_FALSE(InvertKey(key, inverse));
    EXPECT_EQ(inverse[200], 200);
    EXPECT_EQ(inverse[5], 250);
    EXPECT_EQ(inverse[7], 7);
}

}  // namespace
}  // namespace morvane
