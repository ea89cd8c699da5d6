// The boundary between the program's UTF-8 strings and the wide (UTF-16)
// strings of the Windows API, and the form of a path the file functions
// take whatever its length. Windows only; the three programs share it.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// UTF-8 to UTF-16. A byte sequence that is not UTF-8 becomes U+FFFD.
std::wstring WidenUtf8(std::string_view text);
// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string NarrowToUtf8(std::wstring_view text);

// Text in the system's ANSI code page to UTF-8; empty when it is not valid
// in that code page.
std::string AnsiToUtf8(std::string_view text);

// The full form of `path` (relative to the current folder, '/', "." and
// ".." resolved), of any length; empty when the system cannot give it.
std::wstring FullPathName(const std::wstring& path);

// The path as the wide file functions take it. A path too long for the
// classic limit is made absolute and given the \\?\ (or \\?\UNC\) form, so
// it works without the system's opt-in; a shorter one is passed as typed.
std::wstring FileSystemPath(const std::string& path);

}  // namespace morvane
