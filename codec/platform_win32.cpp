// The platform on Windows: '\' and '/' both separate, paths may start with a
// drive, and files are Win32 handles under the shared buffer. Paths are UTF-8
// inside; each call takes them in the wide form (win_path.h), so any name and
// any length works. An output is written as ".NAME.XXXXXX.~mq-part", marked
// for deletion so that even a killed process leaves nothing, and unmarked and
// renamed to its final name, never replacing anything, once complete.
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

// Sets or clears the handle's delete-on-close mark.
bool MarkForDeletion(HANDLE handle, bool mark) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = mark ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) != 0;
}

class Win32File final : public RawFile {
public:
    // A source, or an output under its temporary name, marked for deletion
    // or not.
    explicit Win32File(HANDLE handle, std::string temporaryPath = {}, bool marked = false)
        : m_hFile(handle), m_temporaryPath(std::move(temporaryPath)), m_bMarked(marked) {}
    ~Win32File() override {
        if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
    }

    bool Read(void* buffer, std::size_t size, std::size_t& count) override {
        // ReadFile takes a DWORD count; the buffer is far smaller anyway.
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
        DWORD got = 0;
        if (!ReadFile(m_hFile, buffer, want, &got, nullptr)) return Failed();
        count = got;
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
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

    bool SeekStart() override {
        LARGE_INTEGER start{};
        return SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN) || Failed();
    }

    bool Close() override {
        const HANDLE handle = m_hFile;
        m_hFile = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) || Failed();
    }

    std::int64_t Length() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(m_hFile, &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
    }

    std::string ErrorText() override { return SystemErrorText(m_error); }

    PublishStatus Publish(const std::string& path) override {
        if (m_bMarked && !MarkForDeletion(m_hFile, false)) return PublishStatus::Failed;
        // Renamed by name: our handle shares deletion, which a rename needs.
        if (MoveFileExW(FileSystemPath(m_temporaryPath).c_str(), FileSystemPath(path).c_str(), 0)) {
            m_temporaryPath.clear();
            m_publishedPath = path;
            m_bMarked = false;
            return PublishStatus::Published;
        }
        const DWORD error = GetLastError();
        if (m_bMarked) MarkForDeletion(m_hFile, true);
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
                           GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        return taken ? PublishStatus::NameTaken : PublishStatus::Failed;
    }

    std::string Remove() override {
        // A marked temporary went with its handle.
        for (std::string* name : {&m_temporaryPath, &m_publishedPath}) {
            if (name->empty()) continue;
            if (!DeleteFileW(FileSystemPath(*name).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return *name;
            name->clear();
        }
        return {};
    }

private:
    bool Failed() {
        m_error = GetLastError();
        return false;
    }

    HANDLE m_hFile;
    DWORD m_error = ERROR_SUCCESS;
    std::string m_temporaryPath;  // an output's name until it is published
    std::string m_publishedPath;
    bool m_bMarked = false;
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
        return std::make_unique<BufferedFile>(path, false, std::make_unique<Win32File>(handle));
    }

    bool ProbeName(const std::string& path) override {
        const HANDLE handle = CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        CloseHandle(handle);
        return true;
    }

    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> /*permissions*/) override {
        std::size_t nameStart = path.size();
        while (nameStart > 0 && !IsWin32Separator(path[nameStart - 1]) &&
               !(nameStart == 2 && path[1] == ':'))
            --nameStart;
        const std::string folder = path.substr(0, nameStart);
        const std::string name = path.substr(nameStart);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporaryPath = folder + TemporaryOutputName(name, UniqueTag());
            const HANDLE handle = CreateFileW(FileSystemPath(temporaryPath).c_str(), GENERIC_WRITE | DELETE,
                                              FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                const DWORD error = GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
                break;
            }
            // Where the mark is refused, the temporary is deleted by name.
            const bool marked = MarkForDeletion(handle, true);
            return {CreateStatus::Created, std::make_unique<BufferedFile>(path, true, std::make_unique<Win32File>(handle, temporaryPath, marked))};
        }
        return {CreateStatus::Failed, nullptr};
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
