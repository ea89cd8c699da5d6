// Opens a file as Explorer does on a double-click (ShellExecuteExW, verb
// "open"), for the installers' test, or with a second argument starts
// PROGRAM with PARAMETERS as the shell starts a verb's command. It prints
// the program the shell started
// ("process PATH"), then, once that program's window has its first field
// filled in, the text of each of the window's controls ("control TEXT"),
// and ends the program. Exit status 1 on any failure. It waits on the program's window only
// by polling, with a deadline for when it never comes.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT reaches another process's controls, edit fields included.
    wchar_t buffer[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 5000,
                          nullptr);
    return buffer;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK OnTopWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK OnChild(HWND window, LPARAM parameter) {
    reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(TextOf(window));
    return TRUE;
}

// The texts of the window's controls once one of its edit fields holds
// text, or none when the deadline passes first.
std::vector<std::wstring> FilledInControls(DWORD processId) {
    for (int tries = 0; tries < 900; ++tries) {
        WindowSearch search{processId, nullptr};
        ::EnumWindows(OnTopWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            const HWND field = ::FindWindowExW(search.found, nullptr, L"Edit", nullptr);
            if (field != nullptr && !TextOf(field).empty()) {
                std::vector<std::wstring> texts;
                ::EnumChildWindows(search.found, OnChild, reinterpret_cast<LPARAM>(&texts));
                return texts;
            }
        }
        ::Sleep(100);
    }
    return {};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: shell_open FILE | PROGRAM PARAMETERS\n", stderr);
        return 1;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = argv[1];
    info.lpParameters = argc == 3 ? argv[2] : nullptr;
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        std::fprintf(stderr, "shell_open: ShellExecuteExW failed: error %lu\n", ::GetLastError());
        return 1;
    }
    if (info.hProcess == nullptr) {
        std::fputs("shell_open: the shell started no process\n", stderr);
        return 1;
    }
    wchar_t image[MAX_PATH * 2] = {};
    DWORD length = std::size(image);
    ::QueryFullProcessImageNameW(info.hProcess, 0, image, &length);
    std::printf("process %s\n", Utf8(image).c_str());
    const std::vector<std::wstring> texts = FilledInControls(::GetProcessId(info.hProcess));
    for (const std::wstring& text : texts) {
        if (!text.empty()) std::printf("control %s\n", Utf8(text).c_str());
    }
    std::fflush(stdout);
    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 30000);
    ::CloseHandle(info.hProcess);
    if (texts.empty()) {
        std::fputs("shell_open: no window with a filled-in field within 90 s\n", stderr);
        return 1;
    }
    return 0;
}
