// The platform seam: every file-system operation the job frame needs.
// One implementation per platform (system/posix, system/win32),
// chosen by the build. Tests wrap the real one to inject faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "name_length.h"

namespace morvane {

// Raised by Read, Write, Rewind and Close. The text names the file and the
// cause; the job frame shows it as the message of a failed job.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Which file an open handle is, and the stamps of a change to its content:
// taken when a job starts and again once its source is read, so a source
// cut short and grown back, or rewritten in place, shows. On POSIX st_dev,
// st_ino, st_size, st_mtim and st_ctim (nanoseconds): writers are not locked
// out there, and a write whose st_mtim was set back still moves st_ctim. On
// Windows the volume serial number and file ID (128 bits where the volume
// gives them), the size and LastWriteTime; `changed` stays 0, since a
// source is opened without leave to write and ChangeTime also moves for a
// cleared archive bit or a Read-only tick.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t fileHigh = 0;  // the upper half of a 128-bit file ID
    std::int64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
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
    // The file's POSIX permission bits (0777 at most); none where the
    // system has no such bits.
    virtual std::optional<std::uint32_t> Permissions() { return std::nullopt; }
    // Identity and change stamps of the open file; none when they cannot
    // be had.
    virtual std::optional<FileStamp> Stamp() { return std::nullopt; }

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

// How the standard input and output are named in messages.
inline constexpr char kStandardInputText[] = "standard input";
inline constexpr char kStandardOutputText[] = "standard output";

enum class PublishStatus { Published, NameTaken, Failed };

// What Discard could not, or would not, remove.
struct DiscardResult {
    // The output, still under this name: its removal failed.
    std::string notRemoved;
    // A name of the output that now holds another file (someone moved one
    // there): that file was left as it is.
    std::string takenByAnother;
    bool Clean() const { return notRemoved.empty() && takenByAnother.empty(); }
};

// What became of one name of an output that was to be removed only while it
// still holds the output.
enum class NameRemoval { Removed, Gone, TakenByAnother, Failed };

// Removes an output's names in their order (its temporary, then its final
// name) through `removeIfOurs`. A name removed or already gone is cleared;
// one that holds another file is left alone and reported; a failure stops
// there, its name kept and reported.
DiscardResult RemoveOutputNames(std::initializer_list<std::string*> names,
                                const std::function<NameRemoval(const std::string&)>& removeIfOurs);

// An output while it is written: unnamed, or under a temporary name of the
// form ".NAME.XXXXXX.~mq-part" in the target folder (on Windows marked
// hidden, and for deletion where the volume allows), until Publish gives it
// its final name. An output destroyed or closed unpublished is discarded.
class OutputFile : public File {
public:
    // Writes out what is buffered, and closes the file first where the name
    // can be given without it (a failure of either raises FileError before
    // anything is named); then names the complete file `path` unless
    // something of that name exists, a link included, which is never
    // replaced. Published: the file is closed under `path`; a failure to
    // close it now raises FileError, and the output keeps its name until
    // Discard. NameTaken: nothing changed, another name may be tried.
    // Failed: the name could not be given.
    virtual PublishStatus Publish(const std::string& path) = 0;
    // Once Published: the temporary name that still holds the output, a
    // second full-size name, because it could not be removed (a scanner held
    // it, the folder refused); empty when it went.
    virtual std::string TemporaryNotRemoved() const { return {}; }
    // Closes and removes the file, published or not. A name is removed only
    // while it still holds this very file (device and inode, or the file
    // ID, checked at the last moment); one that holds another file is left
    // alone.
    virtual DiscardResult Discard() noexcept = 0;

    // Writes out what is buffered and has the system put the file's data on
    // the disk, so that once named it survives a crash or a power cut.
    // Raises FileError.
    virtual void SyncToDisk() { throw FileError("The output cannot be flushed to the disk."); }
    // Writes `size` bytes at `offset` from the start, over bytes already
    // written: a stream's lengths go into the header once it has ended.
    // Raises FileError.
    virtual void WriteAt(std::uint64_t /*offset*/, const void* /*data*/, std::size_t /*size*/) {
        throw FileError("The output cannot be written out of order.");
    }
    // True once writing out this output's bytes failed (a full disk, a
    // reader that went away).
    virtual bool WriteFailed() const { return false; }
    // False for a stream (standard output): what was written has gone, and
    // Discard cannot take it back.
    virtual bool Revocable() const { return true; }
};

enum class CreateStatus { Created, Failed };

struct CreateResult {
    CreateStatus status = CreateStatus::Failed;
    std::unique_ptr<OutputFile> file;  // set only when Created
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
    // True when something of this name exists that is not a regular file
    // (a folder, a FIFO, a device), or a file that can be opened for
    // reading; on Windows anything of this name, probed without following a
    // link. Never blocks.
    virtual bool ProbeName(const std::string& path) = 0;
    // Creates the temporary output for a file to be published as `path`,
    // in its folder, with at most `permissions` (POSIX bits) where given.
    virtual CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) = 0;
    // Splits a path on this platform's separators; each part keeps at most
    // kNameLimit of NameLengthUnit().
    virtual PathParts SplitPath(const std::string& path) = 0;
    // How this system's file systems count a name's length.
    virtual NameUnit NameLengthUnit() const = 0;
    // Bytes available to the caller on the volume holding `folder`.
    virtual std::optional<std::uint64_t> FreeSpace(const std::string& folder) = 0;
    // True for a character that separates path components here.
    virtual bool IsSeparator(char c) const = 0;
    // The separator appended to a folder that does not end in one.
    virtual char PreferredSeparator() const = 0;
    // Calendar time in whole seconds since 1970, 64 bits wide whatever the
    // runtime's time_t (32 bits in the 32-bit Windows runtime, which fails
    // from 2038); seeds the substitution key.
    virtual std::int64_t CurrentTime() = 0;

    // Streams and durability, which only the command-line tool asks for;
    // a platform without them refuses each (null, false, Failed).

    // The standard input as a source: Length() -1, no stamp, no Rewind
    // past its first MiB. A read waiting for data gives up, as a read
    // error, once `cancelled` says so.
    virtual std::unique_ptr<File> OpenStandardInput(std::function<bool()> /*cancelled*/) { return nullptr; }
    // The standard output as an output: Publish writes out what is
    // buffered; Discard drops only what is still buffered.
    virtual std::unique_ptr<OutputFile> OpenStandardOutput() { return nullptr; }
    // An unnamed file in the system's temporary folder that a stream is
    // copied into before it is read again: written, rewound, read. It goes
    // when closed, or with the process.
    virtual std::unique_ptr<File> CreateScratch() { return nullptr; }
    // Puts the entry of the file at `path` in its folder on the disk.
    virtual bool SyncFolderOf(const std::string& /*path*/) { return false; }
    // Removes the file at `path` only while it is still the file, and holds
    // the content, that `stamp` describes (its identity, size and times);
    // TakenByAnother when it changed.
    virtual NameRemoval RemoveSource(const std::string& /*path*/, const FileStamp& /*stamp*/) {
        return NameRemoval::Failed;
    }
};

// The real platform of this build.
Platform& SystemPlatform();

// Forwards every operation to another platform, so a wrapper overrides only
// what it changes.
class PlatformWrapper : public Platform {
public:
    explicit PlatformWrapper(Platform& target) : m_target(target) {}
    Platform& Target() const { return m_target; }

    std::unique_ptr<File> OpenSource(const std::string& path) override { return m_target.OpenSource(path); }
    bool ProbeName(const std::string& path) override { return m_target.ProbeName(path); }
    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override {
        return m_target.CreateOutput(path, permissions);
    }
    PathParts SplitPath(const std::string& path) override { return m_target.SplitPath(path); }
    NameUnit NameLengthUnit() const override { return m_target.NameLengthUnit(); }
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override { return m_target.FreeSpace(folder); }
    bool IsSeparator(char c) const override { return m_target.IsSeparator(c); }
    char PreferredSeparator() const override { return m_target.PreferredSeparator(); }
    std::int64_t CurrentTime() override { return m_target.CurrentTime(); }
    std::unique_ptr<File> OpenStandardInput(std::function<bool()> cancelled) override {
        return m_target.OpenStandardInput(std::move(cancelled));
    }
    std::unique_ptr<OutputFile> OpenStandardOutput() override { return m_target.OpenStandardOutput(); }
    std::unique_ptr<File> CreateScratch() override { return m_target.CreateScratch(); }
    bool SyncFolderOf(const std::string& path) override { return m_target.SyncFolderOf(path); }
    NameRemoval RemoveSource(const std::string& path, const FileStamp& stamp) override {
        return m_target.RemoveSource(path, stamp);
    }

private:
    Platform& m_target;
};

// Forwards every method of a file to the file it owns, so a test's file
// that changes one call overrides only that call and misses none. `Base` is
// File, or OutputFile for OutputFileWrapper.
template <typename Base>
class BasicFileWrapper : public Base {
public:
    explicit BasicFileWrapper(std::unique_ptr<Base> target) : m_target(std::move(target)) {}
    Base& Target() const { return *m_target; }

    std::size_t Read(void* buffer, std::size_t size) override { return m_target->Read(buffer, size); }
    void Write(const void* data, std::size_t size) override { m_target->Write(data, size); }
    void Rewind() override { m_target->Rewind(); }
    void Close() override { m_target->Close(); }
    std::int64_t Length() override { return m_target->Length(); }
    std::optional<std::uint32_t> Permissions() override { return m_target->Permissions(); }
    std::optional<FileStamp> Stamp() override { return m_target->Stamp(); }
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override { return m_target->ReadSpan(size); }
    std::span<std::uint8_t> WriteSpan(std::size_t size) override { return m_target->WriteSpan(size); }
    void CommitWrite(std::size_t count) override { m_target->CommitWrite(count); }

private:
    std::unique_ptr<Base> m_target;
};

using FileWrapper = BasicFileWrapper<File>;

// The same for an output: every method, Publish and Discard included.
class OutputFileWrapper : public BasicFileWrapper<OutputFile> {
public:
    using BasicFileWrapper::BasicFileWrapper;

    PublishStatus Publish(const std::string& path) override { return Target().Publish(path); }
    std::string TemporaryNotRemoved() const override { return Target().TemporaryNotRemoved(); }
    DiscardResult Discard() noexcept override { return Target().Discard(); }
    void SyncToDisk() override { Target().SyncToDisk(); }
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        Target().WriteAt(offset, data, size);
    }
    bool WriteFailed() const override { return Target().WriteFailed(); }
    bool Revocable() const override { return Target().Revocable(); }
};

// The temporary name of an output to be published as `name` (no folder):
// ".NAME.<unique>.~mq-part", the name cut at a character so the whole stays
// within kNameLimit of `unit`.
std::string TemporaryOutputName(const std::string& name, const std::string& unique, NameUnit unit);
// Six characters, different on each call and in each process, for the
// <unique> part.
std::string UniqueTag();

// Splits `path` by the runtime's rule: drive "X:" (only where the platform
// has drives), folder up to the last separator, base name up to the last '.'
// after it, extension from there. Each part is cut at a character to
// kNameLimit as `unit` counts; the extension to 255 bytes as well, since a
// container stores its length in one byte.
PathParts SplitPathOn(const std::string& path, bool (*isSeparator)(char), bool withDrive, NameUnit unit);

}  // namespace morvane
