#include "job_relay.h"

#include <thread>

CJobRelay::CJobRelay(HWND hDialog)
    : m_hDialog(hDialog), m_hFinished(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CJobRelay::~CJobRelay() {
    if (m_hFinished != nullptr) ::CloseHandle(m_hFinished);
}

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
        if (relay->m_hFinished != nullptr) ::SetEvent(relay->m_hFinished);
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

bool CJobRelay::WaitUntilFinished(DWORD milliseconds) const {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (;;) {
        if (m_bFinished) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline || m_hFinished == nullptr) return false;
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &m_hFinished, FALSE, static_cast<DWORD>(deadline - now),
                                                       QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return m_bFinished;
        // Peeking delivers the calls sent to this thread, and only those.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool CJobRelay::HasWindow() const {
    return Dialog() != nullptr;
}

HWND CJobRelay::Dialog() const {
    std::lock_guard lock(m_mutex);
    return m_hDialog;
}

void CJobRelay::Forward(const std::function<void(morvane::JobHost&)>& run) {
    // Never sent under the lock: the dialog's thread takes it to detach.
    const HWND dialog = Dialog();
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

// The range starts the transfer of the data, so the timer starts with it.
void CJobRelay::SetProgressRange(std::uint32_t upper) {
    Forward([this, upper](morvane::JobHost& dialog) {
        dialog.SetProgressRange(upper);
        ::SetTimer(Dialog(), kJobProgressTimer, kProgressIntervalMs, nullptr);
    });
}

void CJobRelay::SetProgressStep(std::uint32_t step) {
    Forward([step](morvane::JobHost& dialog) { dialog.SetProgressStep(step); });
}

// The frame reports every block: this costs the worker one store.
void CJobRelay::SetProgressPos(std::uint32_t position) {
    m_nPosition.store(position, std::memory_order_relaxed);
}

void CJobRelay::ShowLatestProgress(CJobRelay* current, morvane::JobHost& dialog) {
    if (current != nullptr && current->HasWindow()) current->ShowProgress(dialog);
}

void CJobRelay::ShowProgress(morvane::JobHost& dialog) {
    const std::uint32_t position = m_nPosition.load(std::memory_order_relaxed);
    if (position == m_nShown) return;
    m_nShown = position;
    dialog.SetProgressPos(position);
}

void CJobRelay::FlushProgress() {
    Forward([this](morvane::JobHost& dialog) {
        ::KillTimer(Dialog(), kJobProgressTimer);
        ShowProgress(dialog);
    });
}

void CJobRelay::ShowMessage(const std::string& text) {
    Forward([&text](morvane::JobHost& dialog) { dialog.ShowMessage(text); });
}
