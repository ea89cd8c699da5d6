// A lock and a condition to wait for under it, used as std::mutex and
// std::condition_variable are. One implementation per system, chosen by the
// build (system/posix, system/win32): Windows has cheaper
// ones of its own than the C++ runtime's.
#pragma once

#include <memory>
#include <mutex>

namespace morvane {

class SyncLock {
public:
    SyncLock();
    ~SyncLock();
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;
    void lock();
    void unlock();

private:
    friend class SyncCondition;
    struct State;
    std::unique_ptr<State> m_state;
};

class SyncCondition {
public:
    SyncCondition();
    ~SyncCondition();
    SyncCondition(const SyncCondition&) = delete;
    SyncCondition& operator=(const SyncCondition&) = delete;
    // Lets `lock` go while it waits; may wake without a notification.
    void wait(std::unique_lock<SyncLock>& lock);
    template <typename Predicate>
    void wait(std::unique_lock<SyncLock>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }
    void notify_all();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace morvane
