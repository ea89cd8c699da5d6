// How long a name may be, counted as the file system counts it: NTFS and
// the other Windows file systems in UTF-16 code units, Linux file systems in
// bytes. 255 of either, so a name in another script is longer in bytes
// than Windows counts it.
#pragma once

#include <cstddef>
#include <string_view>

#include "utf8.h"

namespace morvane {

enum class NameUnit { Byte, Utf16 };

// The longest name (one path component) a file system takes, in its unit.
inline constexpr std::size_t kNameLimit = 255;

inline std::size_t NameLength(std::string_view name, NameUnit unit) {
    return unit == NameUnit::Utf16 ? Utf16Length(name) : name.size();
}

// The greatest cut of `name` within `limit` units that keeps every character
// whole.
inline std::size_t NameCutBefore(std::string_view name, std::size_t limit, NameUnit unit) {
    return unit == NameUnit::Utf16 ? Utf16CutBefore(name, limit) : Utf8CutBefore(name, limit);
}

}  // namespace morvane
