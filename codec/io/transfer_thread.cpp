#include "transfer_thread.h"

namespace morvane {

// Each side notifies after letting the mutex go, so the thread it wakes
// does not at once block on that mutex: a system call fewer on each side
// per task.
void TransferThread::Start(std::function<void()> task) {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_task; });
        m_task = std::move(task);
        if (!m_thread.joinable()) m_thread = std::thread(&TransferThread::Loop, this);
    }
    m_changed.notify_all();
}

void TransferThread::Wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_task; });
}

void TransferThread::Stop() noexcept {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable()) m_thread.join();
}

void TransferThread::Loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_task || m_stop; });
        if (!m_task) return;
        lock.unlock();
        m_task();
        lock.lock();
        m_task = nullptr;
        // Stop joins this thread, so the object outlives the notification.
        lock.unlock();
        m_changed.notify_all();
        lock.lock();
    }
}

}  // namespace morvane
