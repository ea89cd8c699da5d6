// The platform on Windows: '\' and '/' both separate, paths may start with a
// drive, and files are Win32 handles under the shared buffer. Paths are UTF-8
// inside; each call takes them in the wide form (win_path.h), so any name and
// any length works.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <limits>

#include "buffered_file.h"
#include "win_path.h"

namespace morvane {
namespace {

// The system's description of a GetLastError code, without the line break
// FormatMessage ends it with.
std::string SystemErrorText(DWORD code) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  code, 0, text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
    if (length == 0) return "system error " + std::to_string(code);
    return NarrowToUtf8({text, length});
}

class Win32File final : public BufferedFile {
public:
    Win32File(std::string path, HANDLE handle) : BufferedFile(std::move(path)), m_hFile(handle) {}
    ~Win32File() override { CloseQuietly(); }

private:
    bool RawRead(void* buffer, std::size_t size, std::size_t& count) override {
        // ReadFile takes a DWORD count; the buffer is far smaller anyway.
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
        DWORD got = 0;
        if (!ReadFile(m_hFile, buffer, want, &got, nullptr)) return Failed();
        count = got;
        return true;
    }

    bool RawWrite(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
            DWORD put = 0;
            if (!WriteFile(m_hFile, p, want, &put, nullptr)) return Failed();
            if (put == 0) {
                // Nothing written without an error code: report it as a full disk.
                SetLastError(ERROR_DISK_FULL);
                return Failed();
            }
            p += put;
            size -= put;
        }
        return true;
    }

    bool RawSeekStart() override {
        LARGE_INTEGER start{};
        return SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN) || Failed();
    }

    bool RawClose() override {
        const HANDLE handle = m_hFile;
        m_hFile = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) || Failed();
    }

    std::int64_t RawLength() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(m_hFile, &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
    }

    std::string RawErrorText() override { return SystemErrorText(m_error); }

    bool Failed() {
        m_error = GetLastError();
        return false;
    }

    HANDLE m_hFile;
    DWORD m_error = ERROR_SUCCESS;
};

bool IsWin32Separator(char c) {
    return c == '\\' || c == '/';
}

// True for a handle on an ordinary disk file: not a folder, not a device
// such as CON or NUL, not a pipe.
bool IsRegularFile(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class Win32Platform final : public Platform {
public:
    std::unique_ptr<File> OpenSource(const std::string& path) override {
        // Others may go on reading the source, but nobody may change it
        // while a job reads it.
        const HANDLE handle = CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        if (!IsRegularFile(handle)) {
            CloseHandle(handle);
            return nullptr;
        }
        return std::make_unique<Win32File>(path, handle);
    }

    bool ProbeName(const std::string& path) override {
        const HANDLE handle = CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        CloseHandle(handle);
        return true;
    }

    CreateResult CreateOutput(const std::string& path) override {
        const HANDLE handle = CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
            return {exists ? CreateStatus::AlreadyExists : CreateStatus::Failed, nullptr};
        }
        return {CreateStatus::Created, std::make_unique<Win32File>(path, handle)};
    }

    PathParts SplitPath(const std::string& path) override {
        return SplitPathOn(path, IsWin32Separator, true);
    }

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        ULARGE_INTEGER availableToCaller{};
        if (!GetDiskFreeSpaceExW(FileSystemPath(folder).c_str(), &availableToCaller, nullptr, nullptr))
            return std::nullopt;
        return std::uint64_t{availableToCaller.QuadPart};
    }

    bool RemoveFile(const std::string& path) override { return DeleteFileW(FileSystemPath(path).c_str()) != 0; }

    bool IsSeparator(char c) const override { return IsWin32Separator(c); }
    char PreferredSeparator() const override { return '\\'; }
    std::time_t CurrentTime() override { return std::time(nullptr); }
};

}  // namespace

Platform& SystemPlatform() {
    static Win32Platform platform;
    return platform;
}

}  // namespace morvane
