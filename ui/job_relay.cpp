#include "job_relay.h"

#include <thread>

std::shared_ptr<CJobRelay> CJobRelay::Start(HWND hDialog, ThreadProc proc,
                                            std::unique_ptr<morvane::JobRequest> request) {
    auto relay = std::make_shared<CJobRelay>(hDialog);
    request->host = relay.get();
    morvane::JobRequest* owned = request.get();
    std::thread worker([relay, proc, owned] {
        try {
            proc(owned);  // deletes the request
        } catch (...) {
            // Nothing may escape a thread; the job has ended either way.
        }
        relay->m_bFinished = true;
    });
    request.release();
    worker.detach();
    return relay;
}

void CJobRelay::RunCall(LPARAM call, const CJobRelay* current, morvane::JobHost& dialog) {
    const Call* forwarded = reinterpret_cast<const Call*>(call);
    if (forwarded != nullptr && forwarded->relay == current && current->HasWindow()) (*forwarded->run)(dialog);
}

void CJobRelay::Detach() {
    std::lock_guard lock(m_mutex);
    m_hDialog = nullptr;
}

bool CJobRelay::HasWindow() const {
    std::lock_guard lock(m_mutex);
    return m_hDialog != nullptr;
}

void CJobRelay::Forward(const std::function<void(morvane::JobHost&)>& run) {
    HWND dialog = nullptr;
    {
        std::lock_guard lock(m_mutex);
        dialog = m_hDialog;
    }
    // Never sent under the lock: the dialog's thread takes it to detach.
    if (dialog == nullptr) return;
    const Call call{this, &run};
    ::SendMessageW(dialog, WM_JOB_HOST_CALL, 0, reinterpret_cast<LPARAM>(&call));
}

void CJobRelay::SetBusy(bool busy) {
    if (!busy) FlushProgress();
    Forward([busy](morvane::JobHost& dialog) { dialog.SetBusy(busy); });
}

void CJobRelay::EnableJobControls(bool enable) {
    if (enable) FlushProgress();
    Forward([enable](morvane::JobHost& dialog) { dialog.EnableJobControls(enable); });
}

void CJobRelay::SetProgressRange(std::uint32_t upper) {
    m_nUpper = upper;
    Forward([upper](morvane::JobHost& dialog) { dialog.SetProgressRange(upper); });
}

void CJobRelay::SetProgressStep(std::uint32_t step) {
    Forward([step](morvane::JobHost& dialog) { dialog.SetProgressStep(step); });
}

// The frame reports every block; the bar is told only of positions that
// move it, at a bounded rate, and always of the last one.
void CJobRelay::SetProgressPos(std::uint32_t position) {
    if (position == m_nShown) return;
    m_nPending = position;
    m_bPending = true;
    // The clock costs more than a block's bookkeeping: it is read once every
    // kClockBlocks blocks, which still allows far more than 30 updates a second.
    if (position < m_nUpper && position % kClockBlocks != 0) return;
    const Clock::time_point now = Clock::now();
    if (position < m_nUpper && now - m_lastShown < kProgressInterval) return;
    ShowProgress(position, now);
}

void CJobRelay::ShowProgress(std::uint32_t position, Clock::time_point now) {
    m_bPending = false;
    m_nShown = position;
    m_lastShown = now;
    Forward([position](morvane::JobHost& dialog) { dialog.SetProgressPos(position); });
}

void CJobRelay::FlushProgress() {
    if (m_bPending) ShowProgress(m_nPending, Clock::now());
}

void CJobRelay::ShowMessage(const std::string& text) {
    Forward([&text](morvane::JobHost& dialog) { dialog.ShowMessage(text); });
}
