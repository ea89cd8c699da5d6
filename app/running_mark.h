// The mark of a running morvane.exe: a named mutex that the program holds
// for its whole run. The installer and the uninstaller look for it before
// they change anything, since Windows lets no one replace or remove a
// running program's file.
#pragma once

#include <windows.h>

// "Local\": the session's own namespace. The installer is per user, so only
// the programs of this user's session can hold its files; another user runs
// a copy of their own. A mutex rather than a registry value or a file: the
// program writes no registry and keeps no settings, and the system drops the
// mutex with the last process that holds it, however that process ends.
// cmake/packaging.cmake reads the name from this line for the installer.
inline constexpr wchar_t kRunningMutexName[] = L"Local\\Morvane.Running";

class CRunningMark {
public:
    // Creates the mutex, or opens it when another copy of the program runs;
    // without it the program still runs, only unseen by the installer.
    CRunningMark();
    CRunningMark(const CRunningMark&) = delete;
    CRunningMark& operator=(const CRunningMark&) = delete;
    ~CRunningMark();

    bool IsHeld() const { return m_hMutex != nullptr; }

private:
    HANDLE m_hMutex;
};
