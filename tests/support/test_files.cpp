#include "test_files.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace morvane::test {

TempFolder::TempFolder() {
    // Test processes may run side by side: the name mixes clock and entropy.
    std::random_device entropy;
    std::mt19937_64 random(entropy() ^
                           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("morvane-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            m_path = Utf8Path(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(FsPath(m_path), ignored);
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
    const std::string path = *this / relative;
    fs::create_directories(FsPath(path));
    return path;
}

Bytes PatternBytes(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        // The position keeps every byte value present even in short runs.
        bytes[i] = static_cast<std::uint8_t>((state >> 24) ^ i);
    }
    return bytes;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    in.seekg(0, std::ios::end);
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::vector<std::string> ListNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FsPath(folder)))
        names.push_back(Utf8Path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace morvane::test
