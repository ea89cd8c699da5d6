// How the program ends: the modal loop in this process, and the real
// morvane.exe started as a process of its own, and the mark it holds while it
// runs, which the installer looks for.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "resource.h"
#include "running_mark.h"

namespace morvane::gui_test {
namespace {

struct Ending {
    WPARAM command;
    INT_PTR modalResult;
    int exitCode;
};
const Ending kEndings[] = {{ID_FILE_EXIT, -1, 18}, {IDCANCEL, IDCANCEL, 0}};

int PendingQuitCode() {
    MSG msg;
    return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(msg.wParam) : 0;
}

TEST(AppTest, ModalLoopEndsByExitWithQuitCodeAndByClose) {
    for (const Ending& ending : kEndings) {
        CRecordingCodecDlg dlg;
        dlg.onInitDialog = [&](HWND window) { ::PostMessageA(window, WM_COMMAND, ending.command, 0); };
        EXPECT_EQ(dlg.DoModal(), ending.modalResult) << ending.command;
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        EXPECT_EQ(PendingQuitCode(), ending.exitCode);
    }
}

// The program's main window: its one window with a menu bar.
HWND FindMainWindow(DWORD process) {
    for (const HWND window : TopLevelWindows(process)) {
        if (::GetMenu(window) != nullptr) return window;
    }
    return nullptr;
}

// Whether a morvane.exe runs, asked as the installer asks it.
bool RunningMarkHeld() {
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kRunningMutexName);
    if (mutex == nullptr) return false;
    ::CloseHandle(mutex);
    return true;
}

TEST(AppTest, ProgramExitsWith18AfterExitAnd0AfterClose) {
    ASSERT_FALSE(RunningMarkHeld()) << "another morvane.exe runs";
    for (const Ending& ending : kEndings) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string commandLine = "\"" + ProgramPath() + "\"";
        ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process))
            << commandLine;
        HWND window = nullptr;
        for (int i = 0; i < 1000 && window == nullptr; ++i) {
            ::Sleep(20);
            window = FindMainWindow(process.dwProcessId);
        }
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetWindowTextString(window), "Morvane");
        EXPECT_TRUE(RunningMarkHeld()) << "no running mark while the dialog shows";
        ::PostMessageA(window, WM_COMMAND, ending.command, 0);
        EXPECT_EQ(::WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
        EXPECT_FALSE(RunningMarkHeld()) << "the running mark outlived the program";
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, static_cast<DWORD>(ending.exitCode)) << ending.command;
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

}  // namespace
}  // namespace morvane::gui_test
