// The platform on POSIX systems: '/' separates, there are no drives, and
// files are plain descriptors under the shared buffer. An output is written
// unnamed (Linux O_TMPFILE) where the file system allows, linked to its final
// name through its descriptor and closed after; else under a hidden temporary
// name, closed first and then renamed (or linked) to its final name. Neither
// replaces anything, and a name is removed only while it holds the output.
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "buffered_file.h"
#include "platform_posix.h"

namespace morvane {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the entry of this name only while it is the file `identity`, looked
// at the last moment: a name that now holds another file (moved there
// meanwhile) keeps it.
NameRemoval RemoveIfSame(const std::string& path, const struct stat& identity) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? NameRemoval::Gone : NameRemoval::Failed;
    if (!SameFile(info, identity)) return NameRemoval::TakenByAnother;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return NameRemoval::Removed;
    return NameRemoval::Failed;
}

std::int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// Links or renames `from` to `to` unless `to` exists, a link included;
// EEXIST in errno when it does. `fromStays` is set when `to` was given but
// `from`, linked, could not be removed after.
bool RenameWithoutReplacing(const std::string& from, const std::string& to, const PosixNamingCalls& calls,
                            bool& fromStays) {
    fromStays = false;
    if (calls.renameNoReplace(from.c_str(), to.c_str()) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // The file system cannot rename without replacing: the complete file's
    // second link claims the name, then the temporary name goes. Nothing
    // but the complete file ever shows under the final name.
    if (calls.link(from.c_str(), to.c_str()) == 0) {
        fromStays = calls.unlink(from.c_str()) != 0 && errno != ENOENT;
        return true;
    }
    if (errno == EEXIST) return false;
    // No hard links either (some FUSE and network file systems): claim the
    // name with an empty file of our own, then rename over that file only.
    // A kill between the two leaves the empty claim under the final name.
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) return false;
    struct stat claimed {};
    const bool known = ::fstat(claim, &claimed) == 0;
    ::close(claim);
    if (calls.rename(from.c_str(), to.c_str()) == 0) return true;
    const int error = errno;
    // The claim goes only while the name still holds it.
    if (known) RemoveIfSame(to, claimed);
    errno = error;
    return false;
}

class PosixFile final : public RawFile {
public:
    // A source.
    explicit PosixFile(int fd) : m_fd(fd) {}
    // An output, which is `identity`: unnamed when `temporaryPath` is empty.
    PosixFile(int fd, const struct stat& identity, std::string temporaryPath, const PosixNamingCalls& calls)
        : m_fd(fd),
          m_temporaryPath(std::move(temporaryPath)),
          m_identity(identity),
          m_namedTemporary(!m_temporaryPath.empty()),
          m_calls(calls) {}
    ~PosixFile() override {
        if (m_fd >= 0) ::close(m_fd);
    }

    std::optional<std::uint32_t> Permissions() override {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) return std::nullopt;
        return static_cast<std::uint32_t>(info.st_mode & 0777);
    }

    std::optional<FileStamp> Stamp() override {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) return std::nullopt;
        FileStamp stamp;
        stamp.volume = static_cast<std::uint64_t>(info.st_dev);
        stamp.file = static_cast<std::uint64_t>(info.st_ino);
        stamp.size = static_cast<std::int64_t>(info.st_size);
        stamp.modified = Nanoseconds(info.st_mtim);
        stamp.changed = Nanoseconds(info.st_ctim);
        return stamp;
    }

    bool Read(void* buffer, std::size_t size, std::size_t& count) override {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, size);
            if (got >= 0) {
                count = static_cast<std::size_t>(got);
                return true;
            }
            if (errno != EINTR) return Failed();
        }
    }

    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::write(m_fd, p, size);
            if (put < 0) {
                if (errno == EINTR) continue;
                return Failed();
            }
            if (put == 0) {
                // Nothing written and no error: taken as a full disk, never
                // tried again for ever.
                errno = ENOSPC;
                return Failed();
            }
            p += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool SeekStart() override { return ::lseek(m_fd, 0, SEEK_SET) == 0 || Failed(); }

    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::pwrite(m_fd, p, size, static_cast<off_t>(offset));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return Failed();
            p += put;
            offset += static_cast<std::uint64_t>(put);
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool SyncToDisk() override { return ::fsync(m_fd) == 0 || Failed(); }

    bool Close() override {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0 || Failed();
    }

    std::int64_t Length() override {
        struct stat info {};
        return ::fstat(m_fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
    }

    std::string ErrorText() override { return std::strerror(m_errno); }

    // A named temporary is renamed by its name, closed; an unnamed file is
    // linked through its open descriptor.
    bool NamesWithoutHandle() const override { return m_namedTemporary; }

    PublishStatus Publish(const std::string& path) override {
        bool done = false;
        if (!m_namedTemporary) {
            // Named through the descriptor's entry in /proc, which needs no
            // privilege (AT_EMPTY_PATH does). A link never replaces anything.
            const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
            done = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
        } else if (!m_temporaryPath.empty()) {
            bool temporaryStays = false;
            done = RenameWithoutReplacing(m_temporaryPath, path, m_calls, temporaryStays);
            // A temporary that stays is still ours: said, and removed too
            // should the job yet fail.
            if (done && !temporaryStays) m_temporaryPath.clear();
        }
        if (done) {
            m_publishedPath = path;
            return PublishStatus::Published;
        }
        return errno == EEXIST ? PublishStatus::NameTaken : PublishStatus::Failed;
    }

    std::string TemporaryNotRemoved() const override { return m_publishedPath.empty() ? "" : m_temporaryPath; }

    DiscardResult Remove() override {
        return RemoveOutputNames({&m_temporaryPath, &m_publishedPath},
                                 [&](const std::string& name) { return RemoveIfSame(name, m_identity); });
    }

private:
    bool Failed() {
        m_errno = errno;
        return false;
    }

    int m_fd;
    int m_errno = 0;
    std::string m_temporaryPath;  // an output's name until it is published
    std::string m_publishedPath;
    struct stat m_identity {};  // an output's device and inode
    bool m_namedTemporary = false;
    PosixNamingCalls m_calls;
};

// The standard input or output: read until a buffer is full or the stream
// ends, so blocks keep their places; written until all is taken. Never
// closed, never sought, never removed.
class PosixStream final : public RawFile {
public:
    PosixStream(int fd, std::function<bool()> cancelled) : m_fd(fd), m_cancelled(std::move(cancelled)) {
#ifdef F_SETPIPE_SZ
        // A pipe as large as a buffer: a whole MiB changes hands at once,
        // and each side works while the other does. Where the system
        // refuses, the pipe keeps its size.
        ::fcntl(m_fd, F_SETPIPE_SZ, static_cast<int>(BufferedFile::kBufferSize));
#endif
    }

    bool Read(void* buffer, std::size_t size, std::size_t& count) override {
        auto* p = static_cast<char*>(buffer);
        count = 0;
        while (count < size) {
            // Waits in slices, so a stop is seen while no data comes.
            struct pollfd ready {
                m_fd, POLLIN, 0
            };
            const int polled = ::poll(&ready, 1, kPollMilliseconds);
            if (polled < 0 && errno != EINTR) return Failed();
            if (polled <= 0) {
                if (m_cancelled && m_cancelled()) {
                    errno = ECANCELED;
                    return Failed();
                }
                continue;
            }
            const ssize_t got = ::read(m_fd, p + count, size - count);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got < 0) return Failed();
            if (got == 0) break;
            count += static_cast<std::size_t>(got);
        }
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::write(m_fd, p, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return Failed();
            p += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool SeekStart() override {
        errno = ESPIPE;
        return Failed();
    }
    bool Close() override {
        return true;
    }
    std::int64_t Length() override {
        return -1;
    }
    std::string ErrorText() override {
        return std::strerror(m_errno);
    }
    // Everything was written as it came: naming it is done.
    PublishStatus Publish(const std::string& /*path*/) override {
        return PublishStatus::Published;
    }
    bool Revocable() const override {
        return false;
    }

private:
    static constexpr int kPollMilliseconds = 100;

    bool Failed() {
        m_errno = errno;
        return false;
    }

    int m_fd;
    int m_errno = 0;
    std::function<bool()> m_cancelled;
};

// The folder of the system's temporary files: $TMPDIR, else /tmp.
std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// Opens without waiting for a FIFO's writer or a device; blocking reads
// come back afterwards.
int OpenWithoutBlocking(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool IsPosixSeparator(char c) {
    return c == '/';
}

class PosixPlatform final : public Platform {
public:
    PosixPlatform(bool unnamedOutputs, PosixNamingCalls calls)
        : m_unnamedOutputs(unnamedOutputs), m_calls(std::move(calls)) {}

    std::unique_ptr<File> OpenSource(const std::string& path) override {
        const int fd = OpenWithoutBlocking(path);
        if (fd < 0) return nullptr;
        // open() succeeds on a folder, a FIFO, a device; only regular files
        // are sources.
        struct stat info {};
        const int flags = ::fcntl(fd, F_GETFL);
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<BufferedFile>(path, false, std::make_unique<PosixFile>(fd));
    }

    bool ProbeName(const std::string& path) override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return false;
        // Never opened: a FIFO would block, a device might act.
        if (!S_ISREG(info.st_mode)) return true;
        const int fd = OpenWithoutBlocking(path);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    }

    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        std::string temporaryPath;
        int fd = -1;
#ifdef O_TMPFILE
        // Unnamed, so not even a killed process leaves anything; it needs
        // /proc to be named later.
        if (m_unnamedOutputs && ::access("/proc/self/fd", X_OK) == 0)
            fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#endif
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            temporaryPath =
                (slash == std::string::npos ? "" : folder) + TemporaryOutputName(name, UniqueTag(), NameUnit::Byte);
            fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) return {CreateStatus::Failed, nullptr};
        // The output's identity, by which alone it is ever removed.
        struct stat identity {};
        if (::fstat(fd, &identity) != 0) {
            ::close(fd);
            if (!temporaryPath.empty()) ::unlink(temporaryPath.c_str());
            return {CreateStatus::Failed, nullptr};
        }
        // The source's bits, never wider: the output is as private as it.
        if (permissions) ::fchmod(fd, *permissions & 0777);
        return {CreateStatus::Created,
                std::make_unique<BufferedFile>(path, true,
                                               std::make_unique<PosixFile>(fd, identity, temporaryPath, m_calls))};
    }

    PathParts SplitPath(const std::string& path) override {
        return SplitPathOn(path, IsPosixSeparator, false, NameUnit::Byte);
    }
    NameUnit NameLengthUnit() const override {
        return NameUnit::Byte;
    }

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        struct statvfs info {};
        if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
        return std::uint64_t{info.f_bavail} * info.f_frsize;
    }

    bool IsSeparator(char c) const override {
        return IsPosixSeparator(c);
    }
    char PreferredSeparator() const override {
        return '/';
    }
    std::int64_t CurrentTime() override {
        return static_cast<std::int64_t>(std::time(nullptr));
    }

    std::unique_ptr<File> OpenStandardInput(std::function<bool()> cancelled) override {
        return std::make_unique<BufferedFile>(kStandardInputText, false,
                                              std::make_unique<PosixStream>(STDIN_FILENO, std::move(cancelled)));
    }

    std::unique_ptr<OutputFile> OpenStandardOutput() override {
        return std::make_unique<BufferedFile>(kStandardOutputText, true,
                                              std::make_unique<PosixStream>(STDOUT_FILENO, nullptr));
    }

    std::unique_ptr<File> CreateScratch() override {
        const std::string folder = TemporaryFolder();
        int fd = -1;
#ifdef O_TMPFILE
        fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#endif
        if (fd < 0) {
            // No unnamed files here: a name removed at once.
            std::string name = folder + "/.morvane-XXXXXX";
            fd = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd >= 0) ::unlink(name.c_str());
        }
        if (fd < 0) return nullptr;
        return std::make_unique<BufferedFile>(folder, false, std::make_unique<PosixFile>(fd));
    }

    bool SyncFolderOf(const std::string& path) override {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool synced = ::fsync(fd) == 0;
        ::close(fd);
        return synced;
    }

    NameRemoval RemoveSource(const std::string& path, const FileStamp& stamp) override {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? NameRemoval::Gone : NameRemoval::Failed;
        if (static_cast<std::uint64_t>(info.st_dev) != stamp.volume ||
            static_cast<std::uint64_t>(info.st_ino) != stamp.file ||
            static_cast<std::int64_t>(info.st_size) != stamp.size || Nanoseconds(info.st_mtim) != stamp.modified ||
            Nanoseconds(info.st_ctim) != stamp.changed)
            return NameRemoval::TakenByAnother;
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) return NameRemoval::Removed;
        return NameRemoval::Failed;
    }

private:
    bool m_unnamedOutputs;
    PosixNamingCalls m_calls;
};

}  // namespace

PosixNamingCalls SystemNamingCalls() {
    PosixNamingCalls calls;
    calls.renameNoReplace = [](const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
        (void)from;
        (void)to;
        errno = ENOSYS;
        return -1;
#endif
    };
    calls.link = [](const char* from, const char* to) { return ::link(from, to); };
    calls.rename = [](const char* from, const char* to) { return ::rename(from, to); };
    calls.unlink = [](const char* path) { return ::unlink(path); };
    return calls;
}

Platform& SystemPlatform() {
    static PosixPlatform platform(true, SystemNamingCalls());
    return platform;
}

Platform& NamedOutputsPlatform() {
    static PosixPlatform platform(false, SystemNamingCalls());
    return platform;
}

std::unique_ptr<Platform> MakeNamedOutputsPlatform(PosixNamingCalls calls) {
    return std::make_unique<PosixPlatform>(false, std::move(calls));
}

}  // namespace morvane
