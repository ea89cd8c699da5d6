// Files for tests: a temporary folder removed afterwards, deterministic
// contents, and whole-file reads and writes. Paths are plain UTF-8 strings
// with '/' separators, which every platform of this project accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace morvane::test {

// The source most job tests encode: 256 whole blocks and a short one.
inline constexpr std::size_t kSourceSize = 0x100000 + 100;

using Bytes = std::vector<std::uint8_t>;

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing separator.
    const std::string& Path() const { return m_path; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }
    // Creates a sub-folder and returns its path.
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string m_path;
};

// `size` bytes in which every byte value occurs (for sizes of 256 and more),
// different for each seed.
Bytes PatternBytes(std::size_t size, std::uint32_t seed = 1);

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> ListNames(const std::string& folder);

// A UTF-8 path as the standard library's path, and back with '/'
// separators; on Windows a plain string would pass through the ANSI code
// page.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace morvane::test
