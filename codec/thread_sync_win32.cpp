#include "thread_sync.h"

#include <windows.h>

namespace morvane {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

void SyncLock::lock() {
    ::AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&m_state));
}

void SyncLock::unlock() {
    ::ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&m_state));
}

void SyncCondition::wait(std::unique_lock<SyncLock>& lock) {
    ::SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&m_state),
                                reinterpret_cast<PSRWLOCK>(&lock.mutex()->m_state), INFINITE, 0);
}

void SyncCondition::notify_all() {
    ::WakeAllConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&m_state));
}

}  // namespace morvane
