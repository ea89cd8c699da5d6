// Runs one task at a time on a thread of its own, started on first use, so
// a file's system calls overlap the caller's work. What a task produces is
// safe to read once Wait has returned.
#pragma once

#include <functional>
#include <mutex>
#include <thread>

#include "thread_sync.h"

namespace morvane {

class TransferThread {
public:
    TransferThread() = default;
    TransferThread(const TransferThread&) = delete;
    TransferThread& operator=(const TransferThread&) = delete;
    ~TransferThread() { Stop(); }

    // Waits for the task before, then runs `task` in the background.
    void Start(std::function<void()> task);
    // Returns once no task runs.
    void Wait();
    // Waits for the task and ends the thread; Start may not follow.
    void Stop() noexcept;

private:
    void Loop();

    SyncLock m_mutex;
    SyncCondition m_changed;
    std::function<void()> m_task;  // empty when idle
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace morvane
