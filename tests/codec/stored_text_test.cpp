// Stored text (a container's extension) read back: UTF-8 as it is, anything
// else the way the system reads text from older programs.
#include <gtest/gtest.h>

#include "legacy_text_expectation.h"
#include "stored_text.h"
#include "utf8.h"

namespace morvane::test {
namespace {

TEST(StoredText, Utf8IsRecognisedStrictly) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {".pdf", true},
        {".\xD0\xB4\xD0\xBE\xD0\xBA", true},              // Cyrillic
        {".\xE8\xB3\x87\xE6\x96\x99", true},              // CJK
        {".\xF0\x9F\x93\x84", true},                      // beyond the BMP
        {".\xE9t\xE9", false},                            // Windows-1252
        {".\x83\x65\x83\x4C", false},                     // Shift-JIS
        {"\xC0\xAE", false},                              // overlong '.'
        {"\xED\xA0\x80", false},                          // a surrogate
        {"\xF4\x90\x80\x80", false},                      // past U+10FFFF
        {"\xE8\xB3", false},                              // cut short
        {"\x80", false},                                  // a lone continuation
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidUtf8(text), valid) << ::testing::PrintToString(text);
}

TEST(StoredText, Utf8ComesBackUnchanged) {
    for (const char* text : {"", ".pdf", ".\xD0\xB4\xD0\xBE\xD0\xBA", ".\xE8\xB3\x87\xE6\x96\x99"})
        EXPECT_EQ(StoredTextToUtf8(text), text);
}

TEST(StoredText, OtherTextIsReadAsTheSystemReadsOlderPrograms) {
    const std::string expected = LegacyExtensionAsRead(".\xE9t\xE9");
    if (expected.empty()) GTEST_SKIP() << "the ANSI code page here is not Windows-1252";
    EXPECT_EQ(StoredTextToUtf8(".\xE9t\xE9"), expected);
}

}  // namespace
}  // namespace morvane::test
