// The platform on POSIX systems: '/' separates, there are no drives, and
// files are plain descriptors under the shared buffer.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "buffered_file.h"

namespace morvane {
namespace {

class PosixFile final : public BufferedFile {
public:
    PosixFile(std::string path, int fd) : BufferedFile(std::move(path)), m_fd(fd) {}
    ~PosixFile() override { CloseQuietly(); }

private:
    bool RawRead(void* buffer, std::size_t size, std::size_t& count) override {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, size);
            if (got >= 0) {
                count = static_cast<std::size_t>(got);
                return true;
            }
            if (errno != EINTR) return Failed();
        }
    }

    bool RawWrite(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::write(m_fd, p, size);
            if (put < 0) {
                if (errno == EINTR) continue;
                return Failed();
            }
            p += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool RawSeekStart() override { return ::lseek(m_fd, 0, SEEK_SET) == 0 || Failed(); }

    bool RawClose() override {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0 || Failed();
    }

    std::int64_t RawLength() override {
        struct stat info {};
        return ::fstat(m_fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
    }

    std::string RawErrorText() override { return std::strerror(m_errno); }

    bool Failed() {
        m_errno = errno;
        return false;
    }

    int m_fd;
    int m_errno = 0;
};

bool IsPosixSeparator(char c) {
    return c == '/';
}

class PosixPlatform final : public Platform {
public:
    std::unique_ptr<File> OpenSource(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        // open() succeeds on a folder; only regular files are sources.
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(path, fd);
    }

    bool ProbeName(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    }

    CreateResult CreateOutput(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return {errno == EEXIST ? CreateStatus::AlreadyExists : CreateStatus::Failed, nullptr};
        return {CreateStatus::Created, std::make_unique<PosixFile>(path, fd)};
    }

    PathParts SplitPath(const std::string& path) override {
        return SplitPathOn(path, IsPosixSeparator, false);
    }

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        struct statvfs info {};
        if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
        return std::uint64_t{info.f_bavail} * info.f_frsize;
    }

    bool RemoveFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool IsSeparator(char c) const override { return IsPosixSeparator(c); }
    char PreferredSeparator() const override { return '/'; }
    std::time_t CurrentTime() override { return std::time(nullptr); }
};

}  // namespace

Platform& SystemPlatform() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace morvane
