#include "win_path.h"

#include <windows.h>

namespace morvane {
namespace {

// The longest path the file functions take without the \\?\ form: folders
// must leave room for an 8.3 name below MAX_PATH.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

std::wstring Convert(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

bool StartsWith(const std::wstring& text, std::wstring_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::wstring WidenUtf8(std::string_view text) {
    return Convert(CP_UTF8, 0, text);
}

std::string NarrowToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string AnsiToUtf8(std::string_view text) {
    return NarrowToUtf8(Convert(CP_ACP, MB_ERR_INVALID_CHARS, text));
}

std::wstring FullPathName(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

std::wstring FileSystemPath(const std::string& path) {
    std::wstring wide = WidenUtf8(path);
    if (wide.size() < kClassicPathLimit || StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    // The \\?\ form is taken literally: '/', "." and ".." must be resolved
    // first, which the full-path function does for any length.
    const std::wstring full = FullPathName(wide);
    if (full.empty()) return wide;
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace morvane
