// The program's one set of UTF-8 rules: what a well-formed sequence is, and
// where text may be cut without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace morvane {

// Length (1 to 4) of the well-formed UTF-8 sequence that starts at
// `text[at]`; 0 when none does: a stray continuation byte, an invalid lead
// byte, a sequence cut short, an overlong form, a surrogate or a value past
// U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// The greatest cut at or before `limit` (at most the text's length) that
// does not fall inside a multi-byte character, so text.substr(0, cut)
// keeps every character whole or leaves it out.
std::size_t Utf8CutBefore(std::string_view text, std::size_t limit);

// Length of the text in UTF-16 code units, as Windows counts a name: two for
// a character past U+FFFF, one for any other character, and one for each
// byte that starts no well-formed sequence (it becomes U+FFFD).
std::size_t Utf16Length(std::string_view text);

// The greatest cut such that text.substr(0, cut) holds at most `units`
// UTF-16 code units and keeps every character whole or leaves it out.
std::size_t Utf16CutBefore(std::string_view text, std::size_t units);

}  // namespace morvane
