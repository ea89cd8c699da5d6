// The C++ runtime's mutex and condition variable, which are the system's
// own here.
#include "thread_sync.h"

#include <condition_variable>

namespace morvane {

struct SyncLock::State {
    std::mutex mutex;
};

struct SyncCondition::State {
    std::condition_variable condition;
};

SyncLock::SyncLock() : m_state(std::make_unique<State>()) {}
SyncLock::~SyncLock() = default;

void SyncLock::lock() {
    m_state->mutex.lock();
}

void SyncLock::unlock() {
    m_state->mutex.unlock();
}

SyncCondition::SyncCondition() : m_state(std::make_unique<State>()) {}
SyncCondition::~SyncCondition() = default;

void SyncCondition::wait(std::unique_lock<SyncLock>& lock) {
    // The caller's lock holds the mutex; the condition waits on it directly
    // and leaves it held, as the caller's lock expects.
    std::unique_lock<std::mutex> held(lock.mutex()->m_state->mutex, std::adopt_lock);
    m_state->condition.wait(held);
    held.release();
}

void SyncCondition::notify_all() {
    m_state->condition.notify_all();
}

}  // namespace morvane
