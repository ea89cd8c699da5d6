// The platform on POSIX systems: '/' separates, there are no drives, and
// files are plain descriptors under the shared buffer. An output is written
// unnamed (Linux O_TMPFILE) where the file system allows, else under a
// hidden temporary name, and linked or renamed to its final name without
// replacing anything.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "buffered_file.h"
#include "platform_posix.h"

namespace morvane {
namespace {

// Links or renames `from` to `to` unless `to` exists; EEXIST in errno when
// it does.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // The file system cannot rename without replacing: a second link, then
    // the temporary name goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    // No hard links either (FAT and the like): claim the name with an empty
    // file of our own, then rename over that file only.
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0) return false;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(to.c_str());
    errno = error;
    return false;
}

class PosixFile final : public RawFile {
public:
    // A source, or an output: unnamed when `temporaryPath` is empty.
    explicit PosixFile(int fd, std::string temporaryPath = {}) : m_fd(fd), m_temporaryPath(std::move(temporaryPath)) {}
    ~PosixFile() override {
        if (m_fd >= 0) ::close(m_fd);
    }

    std::optional<std::uint32_t> Permissions() override {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0) return std::nullopt;
        return static_cast<std::uint32_t>(info.st_mode & 0777);
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

    PublishStatus Publish(const std::string& path) override {
        bool done = false;
        if (m_temporaryPath.empty()) {
            // Named through the descriptor's entry in /proc, which needs no
            // privilege (AT_EMPTY_PATH does).
            const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
            done = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
        } else {
            done = RenameWithoutReplacing(m_temporaryPath, path);
            if (done) m_temporaryPath.clear();
        }
        if (done) {
            m_publishedPath = path;
            return PublishStatus::Published;
        }
        return errno == EEXIST ? PublishStatus::NameTaken : PublishStatus::Failed;
    }

    std::string Remove() override {
        for (std::string* name : {&m_temporaryPath, &m_publishedPath}) {
            if (name->empty()) continue;
            if (::unlink(name->c_str()) != 0 && errno != ENOENT) return *name;
            name->clear();
        }
        return {};
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
};

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
    explicit PosixPlatform(bool unnamedOutputs) : m_unnamedOutputs(unnamedOutputs) {}

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
            temporaryPath = (slash == std::string::npos ? "" : folder) + TemporaryOutputName(name, UniqueTag());
            fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) return {CreateStatus::Failed, nullptr};
        // The source's bits, never wider: the output is as private as it.
        if (permissions) ::fchmod(fd, *permissions & 0777);
        return {CreateStatus::Created, std::make_unique<BufferedFile>(path, true, std::make_unique<PosixFile>(fd, temporaryPath))};
    }

    PathParts SplitPath(const std::string& path) override {
        return SplitPathOn(path, IsPosixSeparator, false);
    }

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        struct statvfs info {};
        if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
        return std::uint64_t{info.f_bavail} * info.f_frsize;
    }

    bool IsSeparator(char c) const override { return IsPosixSeparator(c); }
    char PreferredSeparator() const override { return '/'; }
    std::time_t CurrentTime() override { return std::time(nullptr); }

private:
    bool m_unnamedOutputs;
};

}  // namespace

Platform& SystemPlatform() {
    static PosixPlatform platform(true);
    return platform;
}

Platform& NamedOutputsPlatform() {
    static PosixPlatform platform(false);
    return platform;
}

}  // namespace morvane
