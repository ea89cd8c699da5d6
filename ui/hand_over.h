// The message a later start of the program sends the first window: the
// arguments it was given, so one window takes the files of many starts.
// Only the bytes: how they travel is the caller's. The receiver trusts
// nothing of them, so Decode refuses anything malformed and never reads
// past the end.
//
// Layout, integers little-endian without padding:
//   tag "MVQA" (4 bytes), version (u32), count (u32),
//   then per argument its length in bytes (u32) and its UTF-8 text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvane::ui {

inline constexpr std::array<std::uint8_t, 4> kHandOverTag = {'M', 'V', 'Q', 'A'};
inline constexpr std::uint32_t kHandOverVersion = 1;
// Windows passes a program at most 32767 UTF-16 units of command line, so
// no start can have more arguments, or more UTF-8 bytes than three per unit.
inline constexpr std::size_t kHandOverMaxArguments = 16384;
inline constexpr std::size_t kHandOverMaxTextBytes = 3 * 32768;

enum class HandOverProblem {
    None,
    WrongTag,
    WrongVersion,
    Truncated,      // the message ends inside a field or a text
    TrailingBytes,  // bytes follow the last argument
    Empty,          // no argument: nothing to queue
    TooMany,        // more arguments, or more text, than any start has
    NotUtf8,        // an argument is not well-formed UTF-8, or holds a NUL
};

struct DecodedHandOver {
    HandOverProblem problem = HandOverProblem::None;
    std::vector<std::string> arguments;  // empty unless problem is None
};

// The message for `arguments`; none for what Decode would refuse (no
// argument, too many or too long, text that is not UTF-8 or holds a NUL).
std::optional<std::vector<std::uint8_t>> EncodeHandOver(const std::vector<std::string>& arguments);

// The arguments of a message of `size` bytes at `bytes` (null only with a
// size of 0), or the first problem found.
DecodedHandOver DecodeHandOver(const std::uint8_t* bytes, std::size_t size);

}  // namespace morvane::ui
