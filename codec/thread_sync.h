// A lock and a condition to wait for under it, used as std::mutex and
// std::condition_variable are. On Windows they are the system's slim
// reader/writer lock and condition variable: the C++ runtime's own, from
// the MinGW threads library, wait and wake through kernel semaphores, and
// under Wine each of those is a round trip to its server, several for
// every MiB a transfer thread hands over.
#pragma once

#include <mutex>

#ifndef _WIN32
#include <condition_variable>
#endif

namespace morvane {

#ifdef _WIN32

class SyncLock {
public:
    SyncLock() = default;
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;
    void lock();
    void unlock();

private:
    friend class SyncCondition;
    void* m_state = nullptr;  // an SRWLOCK, which starts as one null pointer
};

class SyncCondition {
public:
    SyncCondition() = default;
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
    void* m_state = nullptr;  // a CONDITION_VARIABLE, which starts as one null pointer
};

#else

using SyncLock = std::mutex;
using SyncCondition = std::condition_variable;

#endif

}  // namespace morvane
