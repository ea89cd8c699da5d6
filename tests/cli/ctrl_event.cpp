// Test helper: starts a command, waits until its job is under way (FOLDER
// has grown by 16 MiB), then sends it a console event or kills it, and
// exits with the command's exit code. Exit codes above 250 are the
// helper's own failures.
//   ctrl_event c|kill FOLDER COMMAND [ARGS...]
// c: Ctrl+C to every process of the helper's console (the helper ignores
// it); kill: TerminateProcess, which no clean-up follows.
// (Ctrl+Break to a process group would be the other event; Wine 8 refuses
// to send it.)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 251;
constexpr int kStartFailed = 252;
constexpr int kEndedEarly = 253;
constexpr int kEventFailed = 254;
constexpr DWORD kPollMilliseconds = 1;
// Written before the job counts as under way: well past the output's
// creation, in the middle of its payload.
constexpr ULONGLONG kUnderWayBytes = 16 << 20;

// Ignores Ctrl+C for this process only: SetConsoleCtrlHandler(nullptr, TRUE)
// would be inherited by the command.
BOOL WINAPI IgnoreControl(DWORD) {
    return TRUE;
}

std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The bytes of every file in `folder` together.
ULONGLONG FolderBytes(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    ULONGLONG bytes = 0;
    do {
        bytes += (ULONGLONG{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return kUsage;
    const std::wstring mode = argv[1];
    if (mode != L"c" && mode != L"kill") return kUsage;
    const std::wstring folder = argv[2];
    std::wstring commandLine;
    for (int i = 3; i < argc; ++i) commandLine += (i > 3 ? L" " : L"") + Quoted(argv[i]);

    // Ctrl+C goes to every process of a console: a console of its own keeps
    // it to this helper and the command (started from a script, Wine gives
    // the helper none that takes events). The new console would take over
    // the standard handles, so the command gets the ones the helper was given.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    ::FreeConsole();
    if (!::AllocConsole()) return kStartFailed;
    ::SetConsoleCtrlHandler(IgnoreControl, TRUE);
    const ULONGLONG before = FolderBytes(folder);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process))
        return kStartFailed;

    while (FolderBytes(folder) < before + kUnderWayBytes) {
        if (::WaitForSingleObject(process.hProcess, kPollMilliseconds) == WAIT_OBJECT_0) return kEndedEarly;
    }
    const BOOL sent = mode == L"c" ? ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)
                                   : ::TerminateProcess(process.hProcess, 9);
    if (!sent) {
        std::fwprintf(stderr, L"ctrl_event: sending failed, error %lu\n", ::GetLastError());
        ::TerminateProcess(process.hProcess, kEventFailed);
        return kEventFailed;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
