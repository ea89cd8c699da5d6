// The platform seam: every file-system operation the job frame needs.
// One implementation per platform (platform_posix.cpp, platform_win32.cpp),
// chosen by the build. Tests wrap the real one to inject faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane {

// Raised by Read, Write, Rewind and Close. The text names the file and the
// cause; the job frame shows it as the message of a failed job.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An open file. Implementations buffer reads and writes themselves (1 MiB),
// so callers may work in small blocks without a system call per block.
class File {
public:
    virtual ~File() = default;  // closes quietly if still open

    // Reads `size` bytes, fewer only at the end of the file; returns the
    // count read.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Writes all `size` bytes or raises FileError. A buffered file may
    // raise the failure of earlier data here or at Close.
    virtual void Write(const void* data, std::size_t size) = 0;
    // Moves the read position of a file opened for reading back to 0.
    virtual void Rewind() = 0;
    // Flushes and closes; a second call does nothing.
    virtual void Close() = 0;
    // Length of the open file, -1 when it cannot be had.
    virtual std::int64_t Length() = 0;

    // Block access without a copy: the caller reads from and writes into
    // the file's own buffers. At most kMaxSpan bytes per call. The defaults
    // go through Read and Write with a buffer of the file's own.
    static constexpr std::size_t kMaxSpan = 4096;

    // The next `size` bytes, fewer only at the end of the file, counted as
    // read; valid until the next call on this file. Raises as Read does.
    virtual std::span<const std::uint8_t> ReadSpan(std::size_t size);
    // Room for the next `size` bytes; what CommitWrite(count) then counts
    // as written is its first `count` bytes. Raises as Write does.
    virtual std::span<std::uint8_t> WriteSpan(std::size_t size);
    virtual void CommitWrite(std::size_t count);

private:
    std::vector<std::uint8_t> m_spanBuffer;
};

enum class CreateStatus { Created, AlreadyExists, Failed };

struct CreateResult {
    CreateStatus status = CreateStatus::Failed;
    std::unique_ptr<File> file;  // set only when Created
};

struct PathParts {
    std::string drive;
    std::string folder;
    std::string baseName;
    std::string extension;  // with its leading '.', or empty
};

class Platform {
public:
    virtual ~Platform() = default;

    // Opens an existing regular file for reading; null for anything else
    // (missing, a folder, no permission).
    virtual std::unique_ptr<File> OpenSource(const std::string& path) = 0;
    // True when a file of this name exists and can be opened for reading.
    virtual bool ProbeName(const std::string& path) = 0;
    // Creates a new file for writing; never replaces an existing one.
    virtual CreateResult CreateOutput(const std::string& path) = 0;
    // Splits a path on this platform's separators.
    virtual PathParts SplitPath(const std::string& path) = 0;
    // Bytes available to the caller on the volume holding `folder`.
    virtual std::optional<std::uint64_t> FreeSpace(const std::string& folder) = 0;
    // Removes a file; false when it could not be removed.
    virtual bool RemoveFile(const std::string& path) = 0;
    // True for a character that separates path components here.
    virtual bool IsSeparator(char c) const = 0;
    // The separator appended to a folder that does not end in one.
    virtual char PreferredSeparator() const = 0;
    // Calendar time in whole seconds; seeds the substitution key.
    virtual std::time_t CurrentTime() = 0;
};

// The real platform of this build.
Platform& SystemPlatform();

// Splits `path` by the runtime's rule: drive "X:" (only where the platform
// has drives), folder up to the last separator, base name up to the last '.'
// after it, extension from there. Each part is cut to 255 characters.
PathParts SplitPathOn(const std::string& path, bool (*isSeparator)(char), bool withDrive);

}  // namespace morvane
