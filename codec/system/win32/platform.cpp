// The platform on Windows: '\' and '/' both separate, paths may start with a
// drive, and files are Win32 handles under the shared buffer. Paths are UTF-8
// inside; each call takes them in the wide form (win_path.h), so any name and
// any length works. An output is written as ".NAME.XXXXXX.~mq-part", hidden
// and marked for deletion, so a process killed while it writes leaves
// nothing; once complete it is unmarked, shown, and given its final name by a
// hard link, which refuses any entry of that name, a link included (under
// Wine a rename does not refuse a dangling Unix link), then its temporary
// name goes with the handle. A kill between the unmarking and that leaves
// the complete temporary. Where the volume has no hard links it is renamed
// without replacing anything. Names are probed without following links.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>

#include "buffered_file.h"
#include "win_path.h"

namespace morvane {
namespace {

// The system's description of a GetLastError code, without the line break
// FormatMessage ends it with.
std::string SystemErrorText(DWORD code) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  static_cast<DWORD>(std::size(text)), nullptr);
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

// Sets or clears the hidden attribute of the handle's file, its times kept.
bool MarkHidden(HANDLE handle, bool hidden) {
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info)) return false;
    const DWORD attributes = hidden ? info.FileAttributes | FILE_ATTRIBUTE_HIDDEN
                                    : info.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    // Zero times are left as they are; zero attributes would be too.
    FILE_BASIC_INFO change{};
    change.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle, FileBasicInfo, &change, sizeof change) != 0;
}

// The file an open handle is: its volume and file ID, 128 bits where the
// volume gives them (the 64-bit index is not unique on ReFS), else the
// 64-bit index (FAT, older systems, Wine) in the low half.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::array<std::uint8_t, 16> id{};
    bool operator==(const FileIdentity&) const = default;
    std::uint64_t Half(std::size_t which) const {
        std::uint64_t half = 0;
        std::memcpy(&half, id.data() + 8 * which, sizeof half);
        return half;
    }
};

std::optional<FileIdentity> IdentityOf(HANDLE handle) {
    FileIdentity identity;
    FILE_ID_INFO wide{};
    if (GetFileInformationByHandleEx(handle, FileIdInfo, &wide, sizeof wide)) {
        identity.volume = wide.VolumeSerialNumber;
        static_assert(sizeof wide.FileId.Identifier == sizeof identity.id);
        std::memcpy(identity.id.data(), wide.FileId.Identifier, identity.id.size());
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    identity.volume = info.dwVolumeSerialNumber;
    const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    std::memcpy(identity.id.data(), &index, sizeof index);
    return identity;
}

// Opens the entry of this name itself, a link or a device included, for
// nothing but its attributes and `access`; never follows a link, never
// blocks.
HANDLE OpenEntry(const std::string& path, DWORD access) {
    return CreateFileW(FileSystemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// True when the folder lists an entry of exactly this name.
bool Listed(const std::string& path) {
    const std::wstring wide = FileSystemPath(path);
    // A wildcard would match other names.
    if (wide.find_first_of(L"*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// True when something of this name exists: a file, a folder, a device, a
// link (under Wine a Unix link that loops; a dangling one is not seen), a
// file being deleted.
bool EntryExists(const std::string& path) {
    const HANDLE handle = OpenEntry(path, FILE_READ_ATTRIBUTES);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_CANT_RESOLVE_FILENAME || error == ERROR_SHARING_VIOLATION) return true;
    // A file whose deletion is pending refuses every open with access
    // denied until its last handle closes, and a link to its name fails
    // the same way; it counts as taken if the folder still lists it. A
    // folder that refuses access altogether does not make every name taken.
    return error == ERROR_ACCESS_DENIED && Listed(path);
}

// Deletes the entry of this name only if it is the file `identity`: checked
// and deleted through one handle, so what is deleted is what was checked.
NameRemoval RemoveIfSame(const std::string& path, const FileIdentity& identity) {
    const HANDLE handle = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NameRemoval::Gone : NameRemoval::Failed;
    }
    NameRemoval result = NameRemoval::TakenByAnother;
    if (IdentityOf(handle) == identity)
        result = MarkForDeletion(handle, true) ? NameRemoval::Removed : NameRemoval::Failed;
    CloseHandle(handle);
    return result;
}

class Win32File final : public RawFile {
public:
    // A source.
    explicit Win32File(HANDLE handle) : m_hFile(handle) {}
    // An output under its temporary name, which is `identity`, marked for
    // deletion or not.
    Win32File(HANDLE handle, const FileIdentity& identity, std::string temporaryPath, bool marked)
        : m_hFile(handle), m_temporaryPath(std::move(temporaryPath)), m_identity(identity), m_bMarked(marked) {}
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

    // At an offset given in the call, which leaves the file's position for
    // the writes that follow; the header is far smaller than a DWORD.
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD put = 0;
        if (!WriteFile(m_hFile, data, static_cast<DWORD>(size), &put, &at)) return Failed();
        if (put != size) {
            SetLastError(ERROR_DISK_FULL);
            return Failed();
        }
        LARGE_INTEGER end{};
        return SetFilePointerEx(m_hFile, end, nullptr, FILE_END) || Failed();
    }

    bool SyncToDisk() override { return FlushFileBuffers(m_hFile) || Failed(); }

    bool Close() override {
        const HANDLE handle = m_hFile;
        m_hFile = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) || Failed();
    }

    std::int64_t Length() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(m_hFile, &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
    }

    // No ChangeTime: the source is opened without leave to write, so what
    // moves it is a metadata change (a backup tool's archive bit), not one
    // of the bytes read.
    std::optional<FileStamp> Stamp() override {
        const auto identity = IdentityOf(m_hFile);
        FILE_BASIC_INFO basic{};
        FILE_STANDARD_INFO standard{};
        if (!identity || !GetFileInformationByHandleEx(m_hFile, FileBasicInfo, &basic, sizeof basic) ||
            !GetFileInformationByHandleEx(m_hFile, FileStandardInfo, &standard, sizeof standard))
            return std::nullopt;
        FileStamp stamp;
        stamp.volume = identity->volume;
        stamp.file = identity->Half(0);
        stamp.fileHigh = identity->Half(1);
        stamp.size = standard.EndOfFile.QuadPart;
        stamp.modified = basic.LastWriteTime.QuadPart;
        return stamp;
    }

    std::string ErrorText() override { return SystemErrorText(m_error); }

    PublishStatus Publish(const std::string& path) override {
        if (m_bMarked && !MarkForDeletion(m_hFile, false)) return PublishStatus::Failed;
        m_bMarked = false;
        // Attributes belong to the file, not to a name: shown before it is
        // named, so the final name never holds a hidden file.
        if (!MarkHidden(m_hFile, false)) {
            m_bMarked = MarkForDeletion(m_hFile, true);
            return PublishStatus::Failed;
        }
        // A hard link refuses every entry of the name, a dangling link
        // included; the temporary name then goes with the handle, or by name
        // where the mark is refused. One that stays is said.
        if (CreateHardLinkW(FileSystemPath(path).c_str(), FileSystemPath(m_temporaryPath).c_str(), nullptr)) {
            m_publishedPath = path;
            if (MarkForDeletion(m_hFile, true) || RemoveIfSame(m_temporaryPath, m_identity) == NameRemoval::Removed)
                m_temporaryPath.clear();
            return PublishStatus::Published;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            // No hard links on this volume (FAT, some shares): renamed by
            // name, which our handle allows, never replacing anything.
            if (MoveFileExW(FileSystemPath(m_temporaryPath).c_str(), FileSystemPath(path).c_str(), 0)) {
                m_temporaryPath.clear();
                m_publishedPath = path;
                return PublishStatus::Published;
            }
            error = GetLastError();
        }
        MarkHidden(m_hFile, true);
        m_bMarked = MarkForDeletion(m_hFile, true);
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || EntryExists(path);
        return taken ? PublishStatus::NameTaken : PublishStatus::Failed;
    }

    std::string TemporaryNotRemoved() const override { return m_publishedPath.empty() ? "" : m_temporaryPath; }

    DiscardResult Remove() override {
        // A marked temporary went with its handle.
        return RemoveOutputNames({&m_temporaryPath, &m_publishedPath},
                                 [&](const std::string& name) { return RemoveIfSame(name, m_identity); });
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
    FileIdentity m_identity;  // an output's
    bool m_bMarked = false;
};

// The standard input or output: read until a buffer is full or the stream
// ends, so blocks keep their places; written until all is taken. Never
// closed, never sought, never removed.
class Win32Stream final : public RawFile {
public:
    explicit Win32Stream(HANDLE handle) : m_hStream(handle) {}

    bool Read(void* buffer, std::size_t size, std::size_t& count) override {
        auto* p = static_cast<char*>(buffer);
        count = 0;
        while (count < size) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - count, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(m_hStream, p + count, want, &got, nullptr)) {
                // A pipe whose writer has closed it has ended.
                const DWORD error = GetLastError();
                if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
                m_error = error;
                return false;
            }
            if (got == 0) break;
            count += got;
        }
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            DWORD put = 0;
            if (!WriteFile(m_hStream, p, want, &put, nullptr)) {
                m_error = GetLastError();
                return false;
            }
            if (put == 0) {
                m_error = ERROR_DISK_FULL;
                return false;
            }
            p += put;
            size -= put;
        }
        return true;
    }

    bool SeekStart() override {
        m_error = ERROR_SEEK_ON_DEVICE;
        return false;
    }
    bool Close() override { return true; }
    std::int64_t Length() override { return -1; }
    std::string ErrorText() override { return SystemErrorText(m_error); }
    // Everything was written as it came: naming it is done.
    PublishStatus Publish(const std::string& /*path*/) override { return PublishStatus::Published; }
    bool Revocable() const override { return false; }

private:
    HANDLE m_hStream;
    DWORD m_error = ERROR_SUCCESS;
};

// A standard handle, or none when the process has none.
HANDLE StandardHandle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr ? INVALID_HANDLE_VALUE : handle;
}

bool IsWin32Separator(char c) {
    return c == '\\' || c == '/';
}

// The folder part of a path, or "." for a bare name.
std::string FolderOfPath(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && !IsWin32Separator(path[end - 1]) && !(end == 2 && path[1] == ':')) --end;
    return end == 0 ? "." : path.substr(0, end);
}

// True for a handle on an ordinary disk file: not a folder, not a device
// such as CON or NUL, not a pipe.
bool IsRegularFile(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

    // Whatever has this name counts, a link included, followed or not.
    bool ProbeName(const std::string& path) override { return EntryExists(path); }

    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> /*permissions*/) override {
        std::size_t nameStart = path.size();
        while (nameStart > 0 && !IsWin32Separator(path[nameStart - 1]) && !(nameStart == 2 && path[1] == ':'))
            --nameStart;
        const std::string folder = path.substr(0, nameStart);
        const std::string name = path.substr(nameStart);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporaryPath = folder + TemporaryOutputName(name, UniqueTag(), NameUnit::Utf16);
            const HANDLE handle = CreateFileW(FileSystemPath(temporaryPath).c_str(),
                                              GENERIC_WRITE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE,
                                              FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                const DWORD error = GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
                break;
            }
            // The output's identity, by which alone it is ever removed.
            const auto identity = IdentityOf(handle);
            if (!identity) {
                MarkForDeletion(handle, true);
                CloseHandle(handle);
                break;
            }
            // Where the mark is refused, the temporary is deleted by name.
            const bool marked = MarkForDeletion(handle, true);
            auto raw = std::make_unique<Win32File>(handle, *identity, temporaryPath, marked);
            return {CreateStatus::Created, std::make_unique<BufferedFile>(path, true, std::move(raw))};
        }
        return {CreateStatus::Failed, nullptr};
    }

    PathParts SplitPath(const std::string& path) override {
        return SplitPathOn(path, IsWin32Separator, true, NameUnit::Utf16);
    }
    // NTFS, ReFS, FAT and exFAT all count a name in UTF-16 code units.
    NameUnit NameLengthUnit() const override { return NameUnit::Utf16; }

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        ULARGE_INTEGER availableToCaller{};
        if (!GetDiskFreeSpaceExW(FileSystemPath(folder).c_str(), &availableToCaller, nullptr, nullptr))
            return std::nullopt;
        return std::uint64_t{availableToCaller.QuadPart};
    }

    // No wait for data can be given up here: a stop is seen when the
    // data comes or the stream ends.
    std::unique_ptr<File> OpenStandardInput(std::function<bool()> /*cancelled*/) override {
        const HANDLE handle = StandardHandle(STD_INPUT_HANDLE);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<BufferedFile>(kStandardInputText, false, std::make_unique<Win32Stream>(handle));
    }

    std::unique_ptr<OutputFile> OpenStandardOutput() override {
        const HANDLE handle = StandardHandle(STD_OUTPUT_HANDLE);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<BufferedFile>(kStandardOutputText, true, std::make_unique<Win32Stream>(handle));
    }

    // In the user's temporary folder, hidden and deleted when its handle
    // closes, the process's end included.
    std::unique_ptr<File> CreateScratch() override {
        wchar_t folder[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(folder)), folder);
        if (length == 0 || length > MAX_PATH) return nullptr;
        const std::string folderText = NarrowToUtf8({folder, length});
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string path = folderText + ".morvane-" + UniqueTag() + ".tmp";
            const HANDLE handle =
                CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle != INVALID_HANDLE_VALUE)
                return std::make_unique<BufferedFile>(folderText, false, std::make_unique<Win32File>(handle));
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        return nullptr;
    }

    // A folder opened as itself, whose entries the flush writes out.
    bool SyncFolderOf(const std::string& path) override {
        const HANDLE folder = CreateFileW(FileSystemPath(FolderOfPath(path)).c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder == INVALID_HANDLE_VALUE) return false;
        const bool flushed = FlushFileBuffers(folder) != 0;
        CloseHandle(folder);
        return flushed;
    }

    // Checked and deleted through one handle, so what is deleted is the
    // file that was checked.
    NameRemoval RemoveSource(const std::string& path, const FileStamp& stamp) override {
        const HANDLE handle = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NameRemoval::Gone
                                                                                  : NameRemoval::Failed;
        }
        Win32File entry(handle);
        const std::optional<FileStamp> now = entry.Stamp();
        NameRemoval result = NameRemoval::TakenByAnother;
        if (now && *now == stamp) result = MarkForDeletion(handle, true) ? NameRemoval::Removed : NameRemoval::Failed;
        return result;
    }

    bool IsSeparator(char c) const override { return IsWin32Separator(c); }
    char PreferredSeparator() const override { return '\\'; }
    std::int64_t CurrentTime() override {
        // From the system, not the runtime's time(), which has 32 bits in the
        // 32-bit program. FILETIME counts 100 ns from 1601.
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        const std::int64_t ticks =
            static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
        constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;
        return (ticks - kTicksFrom1601To1970) / 10000000;
    }
};

}  // namespace

Platform& SystemPlatform() {
    static Win32Platform platform;
    return platform;
}

}  // namespace morvane
