#include "running_mark.h"

// Never owned: the mutex marks the run by existing; no one waits on it.
CRunningMark::CRunningMark() : m_hMutex(::CreateMutexW(nullptr, FALSE, kRunningMutexName)) {}

CRunningMark::~CRunningMark() {
    if (m_hMutex != nullptr) ::CloseHandle(m_hMutex);
}
