// The one set of UTF-8 rules: sequence lengths at the edges of each form,
// and cuts that never split a character.
#include <gtest/gtest.h>

#include <string>

#include "utf8.h"

namespace morvane::test {
namespace {

TEST(Utf8, SequenceLengthAtEachEdgeOfTheForms) {
    const struct {
        std::string text;
        std::size_t length;
    } cases[] = {
        {"a", 1},
        {std::string(1, '\0'), 1},
        {"\xC2\x80", 2},          // U+0080, the first two-byte value
        {"\xDF\xBF", 2},          // U+07FF
        {"\xE0\xA0\x80", 3},      // U+0800
        {"\xED\x9F\xBF", 3},      // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", 3},      // U+E000, just above them
        {"\xEF\xBF\xBF", 3},      // U+FFFF
        {"\xF0\x90\x80\x80", 4},  // U+10000
        {"\xF4\x8F\xBF\xBF", 4},  // U+10FFFF, the last value
        {"\x80", 0},              // a stray continuation byte
        {"\xC0\xAE", 0},          // overlong two-byte form
        {"\xC1\xBF", 0},          // overlong two-byte form
        {"\xE0\x9F\xBF", 0},      // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", 0},  // overlong four-byte form
        {"\xED\xA0\x80", 0},      // U+D800, a surrogate
        {"\xED\xBF\xBF", 0},      // U+DFFF, a surrogate
        {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
        {"\xF5\x80\x80\x80", 0},  // a lead byte no value starts with
        {"\xFF", 0},
        {"\xE8\xB3", 0},          // cut short
        {"\xF0\x9F\x93", 0},      // cut short
        {"\xC3\x41", 0},          // second byte is no continuation
        {"\xE8\xB3\x41", 0},      // third byte is no continuation
        {"\xF0\x9F\x93\x41", 0},  // fourth byte is no continuation
    };
    for (const auto& [text, length] : cases) {
        EXPECT_EQ(Utf8SequenceLength(text, 0), length) << ::testing::PrintToString(text);
        EXPECT_EQ(IsValidUtf8(text), length == text.size()) << ::testing::PrintToString(text);
    }
}

TEST(Utf8, ASequenceIsJudgedWhereItStandsInTheText) {
    const std::string text = "x\xE8\xB3\x87y\xE8\xB3";
    EXPECT_EQ(Utf8SequenceLength(text, 1), 3u);
    EXPECT_EQ(Utf8SequenceLength(text, 2), 0u);  // inside the character
    EXPECT_EQ(Utf8SequenceLength(text, 4), 1u);
    EXPECT_EQ(Utf8SequenceLength(text, 5), 0u);  // cut short by the end
    EXPECT_FALSE(IsValidUtf8(text));
    EXPECT_TRUE(IsValidUtf8(text.substr(0, 5)));
}

TEST(Utf8, CutsNeverSplitACharacter) {
    // "a", U+00E9 (2 bytes), U+8CC7 (3 bytes), U+1F4C4 (4 bytes), "z".
    const std::string text = "a\xC3\xA9\xE8\xB3\x87\xF0\x9F\x93\x84z";
    const std::size_t expected[] = {
        0, 1,              // before and after "a"
        1, 3,              // inside and after the two-byte character
        3, 3, 6,           // inside and after the three-byte one
        6, 6, 6, 10,       // inside and after the four-byte one
        11, 11, 11,        // the whole text, and limits past its end
    };
    for (std::size_t limit = 0; limit < std::size(expected); ++limit) {
        const std::size_t cut = Utf8CutBefore(text, limit);
        EXPECT_EQ(cut, expected[limit]) << "limit " << limit;
        EXPECT_TRUE(IsValidUtf8(text.substr(0, cut))) << "limit " << limit;
    }
}

TEST(Utf8, CutsLeaveBytesThatAreNoUtf8AsTheyAre) {
    // Only a continuation byte moves the cut; a lone lead byte or a
    // legacy code page's byte is a place like any other.
    EXPECT_EQ(Utf8CutBefore("ab\xE9" "cd", 3), 3u);
    EXPECT_EQ(Utf8CutBefore("ab\xE8" "cd", 3), 3u);
    EXPECT_EQ(Utf8CutBefore("\x80\x80\x80", 2), 0u);
    EXPECT_EQ(Utf8CutBefore("", 5), 0u);
}

TEST(Utf8, Utf16CountsAndCutsAsWindowsCountsANameLength) {
    // "a", U+00E9, U+8CC7, U+1F4C4 (a surrogate pair), "z": 1+1+1+2+1 units.
    const std::string text = "a\xC3\xA9\xE8\xB3\x87\xF0\x9F\x93\x84z";
    EXPECT_EQ(Utf16Length(text), 6u);
    const std::size_t expected[] = {0, 1, 3, 6, 6, 10, 11, 11};  // cut for 0 to 7 units
    for (std::size_t units = 0; units < std::size(expected); ++units)
        EXPECT_EQ(Utf16CutBefore(text, units), expected[units]) << units << " units";
    // A byte that is no UTF-8 counts as the one U+FFFD it becomes.
    EXPECT_EQ(Utf16Length("ab\xE9" "c\x80"), 5u);
    EXPECT_EQ(Utf16CutBefore("ab\xE9" "c", 3), 3u);
}

}  // namespace
}  // namespace morvane::test
