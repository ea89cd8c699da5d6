#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "host_system.h"
#include "win_path.h"

// The C runtime's own splitting of the wide command line (msvcrt), as its
// start-up code for a wide main calls it. Not in the public headers; the
// arguments stay the runtime's, not to be freed.
struct RuntimeStartupInfo {
    int newMode;
};
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expandWildcards,
                              RuntimeStartupInfo* startupInfo);

namespace morvane::cli {
namespace {

constexpr std::size_t kStreamBufferSize = 4096;

// Exit statuses of the console events, as the matching POSIX signals give:
// Ctrl+C is SIGINT, Ctrl+Break the runtime's SIGBREAK, a closed console a
// hang-up (SIGHUP, 1), the end of the session SIGTERM.
constexpr int kHangUpSignal = 1;

// The system ends the process once the handler of a closing console
// returns (and after a few seconds in any case); the handler waits this
// long at most, while the job cleans up and main returns.
constexpr DWORD kCloseCleanUpMilliseconds = 10000;

static_assert(std::atomic<int>::is_always_lock_free, "the control handler may only touch a lock-free atomic");
std::atomic<int> g_interruptStatus{0};
std::atomic<unsigned> g_eventsSeen{0};  // a bit for each event taken

int StatusOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return 128 + SIGINT;
    case CTRL_BREAK_EVENT:
        return 128 + SIGBREAK;
    case CTRL_CLOSE_EVENT:
        return 128 + kHangUpSignal;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return 128 + SIGTERM;
    default:
        return 0;
    }
}

// A console, not merely a character device: the runtime's _isatty takes NUL
// for one.
bool IsConsole(DWORD handleId) {
    const HANDLE handle = ::GetStdHandle(handleId);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    const int status = StatusOf(event);
    if (status == 0) return FALSE;
    int none = 0;
    g_interruptStatus.compare_exchange_strong(none, status);
    // A second Ctrl+C, or a second Ctrl+Break, while the job cleans up goes
    // to the system's handler, which ends the process, as on POSIX; one of
    // the other kind changes nothing.
    const unsigned kind = 1u << event;
    const bool again = (g_eventsSeen.fetch_or(kind) & kind) != 0;
    if (again && (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) return FALSE;
    // Returning ends the process for these: give the job its clean-up, the
    // process exits from main meanwhile.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::Sleep(kCloseCleanUpMilliseconds);
    return TRUE;
}

// One standard handle as a stream of UTF-8 bytes. A console is written its
// characters through WriteConsoleW, so any name shows whatever the console's
// code page; a file or pipe gets the bytes unchanged. A character cut at the
// buffer's end waits for its remaining bytes.
class StandardHandleBuf final : public std::streambuf {
public:
    explicit StandardHandleBuf(DWORD handleId) : m_hOutput(::GetStdHandle(handleId)) {
        DWORD mode = 0;
        m_bConsole = m_hOutput != nullptr && m_hOutput != INVALID_HANDLE_VALUE && ::GetConsoleMode(m_hOutput, &mode);
        setp(m_buffer, m_buffer + kStreamBufferSize);
    }

protected:
    int_type overflow(int_type c) override {
        if (!Flush(false)) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return Flush(true) ? 0 : -1; }

private:
    // Writes the buffer; an incomplete character at its end stays unless
    // `all` (nothing more is coming for now).
    bool Flush(bool all) {
        std::size_t size = static_cast<std::size_t>(pptr() - pbase());
        std::size_t keep = all || !m_bConsole ? 0 : IncompleteTail(size);
        const bool written = Write(m_buffer, size - keep);
        std::memmove(m_buffer, m_buffer + size - keep, keep);
        setp(m_buffer, m_buffer + kStreamBufferSize);
        pbump(static_cast<int>(keep));
        return written;
    }

    // Bytes at the end of the first `size` that begin a character not yet
    // complete.
    std::size_t IncompleteTail(std::size_t size) const {
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const auto c = static_cast<unsigned char>(m_buffer[size - back]);
            if ((c & 0xC0) == 0x80) continue;  // a continuation byte
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
        return 0;
    }

    bool Write(const char* data, std::size_t size) {
        if (size == 0) return true;
        if (m_bConsole) {
            const std::wstring text = WidenUtf8({data, size});
            DWORD written = 0;
            return ::WriteConsoleW(m_hOutput, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
        }
        while (size > 0) {
            DWORD written = 0;
            if (!::WriteFile(m_hOutput, data, static_cast<DWORD>(size), &written, nullptr) || written == 0)
                return false;
            data += written;
            size -= written;
        }
        return true;
    }

    HANDLE m_hOutput;
    bool m_bConsole = false;
    char m_buffer[kStreamBufferSize];
};

}  // namespace

std::vector<std::string> CommandArguments(int, char**) {
    // The C runtime's wide argv, split by the rules every Windows C program's
    // argv follows, without the narrow code page's losses. Shell32's splitter
    // would do as well, but loading shell32 and all it brings would slow
    // every start of the tool.
    int count = 0;
    wchar_t** arguments = nullptr;
    wchar_t** environment = nullptr;
    RuntimeStartupInfo startupInfo{};
    if (__wgetmainargs(&count, &arguments, &environment, 0, &startupInfo) < 0) arguments = nullptr;
    std::vector<std::string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) result.push_back(NarrowToUtf8(arguments[i]));
    return result;
}

bool IsErrorStreamTerminal() {
    return IsConsole(STD_ERROR_HANDLE);
}

bool IsOutputTerminal() {
    return IsConsole(STD_OUTPUT_HANDLE);
}

bool IsInputTerminal() {
    return IsConsole(STD_INPUT_HANDLE);
}

void PrepareStandardStreams() {
    // Nothing but the tool's own streams writes to the handles; the C
    // streams stay in binary mode in case a library writes there, and data
    // read from stdin or written to stdout is never translated.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // Never destroyed: the standard streams flush into them until the
    // process ends. The tool flushes after each line or bar it writes.
    std::cout.rdbuf(new StandardHandleBuf(STD_OUTPUT_HANDLE));
    std::cerr.rdbuf(new StandardHandleBuf(STD_ERROR_HANDLE));
}

void CatchInterrupts() {
    // A process started in a new group, or whose parent ignored Ctrl+C, keeps
    // ignoring Ctrl+C: the system never calls the handler for it.
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

const std::atomic<int>& InterruptStatus() {
    return g_interruptStatus;
}

}  // namespace morvane::cli
