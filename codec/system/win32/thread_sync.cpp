// The system's slim reader/writer lock and condition variable. The C++
// runtime's own, from the MinGW threads library, wait and wake through
// kernel semaphores, and under Wine each of those is a round trip to its
// server, several for every MiB a transfer thread hands over.
#include "thread_sync.h"

#include <windows.h>

namespace morvane {

struct SyncLock::State {
    SRWLOCK lock = SRWLOCK_INIT;
};

struct SyncCondition::State {
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

SyncLock::SyncLock() : m_state(std::make_unique<State>()) {}
SyncLock::~SyncLock() = default;

void SyncLock::lock() {
    ::AcquireSRWLockExclusive(&m_state->lock);
}

void SyncLock::unlock() {
    ::ReleaseSRWLockExclusive(&m_state->lock);
}

SyncCondition::SyncCondition() : m_state(std::make_unique<State>()) {}
SyncCondition::~SyncCondition() = default;

void SyncCondition::wait(std::unique_lock<SyncLock>& lock) {
    ::SleepConditionVariableSRW(&m_state->condition, &lock.mutex()->m_state->lock, INFINITE, 0);
}

void SyncCondition::notify_all() {
    ::WakeAllConditionVariable(&m_state->condition);
}

}  // namespace morvane
