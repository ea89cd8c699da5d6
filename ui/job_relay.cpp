#include "job_relay.h"

#include <chrono>
#include <thread>
#include <utility>

CJobRelay::CJobRelay(HWND hDialog) : m_hDialog(hDialog) {}

CJobRelay::~CJobRelay() = default;

std::shared_ptr<CJobRelay> CJobRelay::Start(HWND hDialog, ThreadProc proc, std::unique_ptr<morvane::JobRequest> request,
                                            std::function<void()> onReturned) {
    auto relay = std::make_shared<CJobRelay>(hDialog);
    request->host = relay.get();
    morvane::JobRequest* owned = request.get();
    std::thread worker([relay, proc, owned, onReturned = std::move(onReturned)] {
        std::uint32_t result = morvane::kJobNoRequest;
        try {
            result = proc(owned);  // deletes the request
            if (onReturned) onReturned();
        } catch (...) {
            // Nothing may escape a thread; the job has ended either way.
        }
        HWND dialog = nullptr;
        {
            std::lock_guard lock(relay->m_mutex);
            relay->m_nResult = result;
            relay->m_bWorkerReturned = true;
            dialog = relay->m_hDialog;
        }
        relay->m_returnedChanged.notify_all();
        // The dialog learns that the job is over for it even when the job's
        // last call was carried out before this: a press it kept meanwhile
        // starts now.
        if (dialog != nullptr) ::PostMessageW(dialog, WM_JOB_HOST_CALL, 0, 0);
    });
    request.release();
    worker.detach();
    return relay;
}

void CJobRelay::RunCalls(CJobRelay* current, IJobView& dialog) {
    if (current == nullptr) return;
    for (;;) {
        Call call;
        {
            std::lock_guard lock(current->m_mutex);
            if (current->m_hDialog == nullptr || current->m_calls.empty()) return;
            call = std::move(current->m_calls.front());
            current->m_calls.pop_front();
        }
        // Outside the lock: a message box runs a message loop of its own.
        call(dialog);
        {
            std::lock_guard lock(current->m_mutex);
            ++current->m_nDone;
        }
        current->m_carriedOut.notify_all();
    }
}

void CJobRelay::Detach() {
    {
        std::lock_guard lock(m_mutex);
        m_hDialog = nullptr;
        m_calls.clear();
    }
    m_carriedOut.notify_all();
}

bool CJobRelay::OverForDialog() const {
    std::lock_guard lock(m_mutex);
    return m_bWorkerReturned && (m_hDialog == nullptr || m_nDone == m_nQueued);
}

bool CJobRelay::WaitForWorker(DWORD milliseconds) const {
    std::unique_lock lock(m_mutex);
    return m_returnedChanged.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                      [this] { return m_bWorkerReturned.load(); });
}

bool CJobRelay::HasWindow() const {
    return Dialog() != nullptr;
}

HWND CJobRelay::Dialog() const {
    std::lock_guard lock(m_mutex);
    return m_hDialog;
}

std::uint64_t CJobRelay::Post(Call call) {
    HWND dialog = nullptr;
    bool wake = false;
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_hDialog == nullptr) return 0;
        dialog = m_hDialog;
        // The dialog's thread takes calls until none is left, so only a call
        // into an empty queue needs to wake it.
        wake = m_calls.empty();
        m_calls.push_back(std::move(call));
        ticket = ++m_nQueued;
    }
    // A dialog that cannot be reached is as good as gone.
    if (wake && !::PostMessageW(dialog, WM_JOB_HOST_CALL, 0, 0)) Detach();
    return ticket;
}

void CJobRelay::Send(Call call) {
    const std::uint64_t ticket = Post(std::move(call));
    if (ticket == 0) return;
    std::unique_lock lock(m_mutex);
    m_carriedOut.wait(lock, [&] { return m_hDialog == nullptr || m_nDone >= ticket; });
}

// The job's end: the last position is shown first, then what became of it.
void CJobRelay::SetBusy(bool busy) {
    if (busy) {
        m_outcome = {};
        m_bMessageShown = false;
    } else {
        FlushProgress();
        if (m_outcome.kind != morvane::JobOutcome::Kind::Written &&
            m_outcome.kind != morvane::JobOutcome::Kind::FailedOutputLeft && !m_bMessageShown && m_bStopRequested)
            m_outcome.kind = morvane::JobOutcome::Kind::Stopped;
        Post([outcome = m_outcome](IJobView& dialog) { dialog.JobEnded(outcome); });
    }
    Post([busy](IJobView& dialog) { dialog.SetBusy(busy); });
}

void CJobRelay::EnableJobControls(bool enable) {
    Post([enable](IJobView& dialog) { dialog.EnableJobControls(enable); });
}

// The range starts the transfer of the data, so the timer starts with it.
void CJobRelay::SetProgressRange(std::uint32_t upper) {
    Post([this, upper](IJobView& dialog) {
        dialog.SetProgressRange(upper);
        // Without a window a timer would be the thread's, and never stopped.
        if (const HWND window = Dialog()) ::SetTimer(window, kJobProgressTimer, kProgressIntervalMs, nullptr);
    });
}

void CJobRelay::SetProgressStep(std::uint32_t step) {
    Post([step](IJobView& dialog) { dialog.SetProgressStep(step); });
}

// The frame reports every block: this costs the worker one store.
void CJobRelay::SetProgressPos(std::uint32_t position) {
    m_nPosition.store(position, std::memory_order_relaxed);
}

void CJobRelay::ShowLatestProgress(CJobRelay* current, IJobView& dialog) {
    if (current != nullptr && current->HasWindow()) current->ShowProgress(dialog);
}

void CJobRelay::ShowProgress(IJobView& dialog) {
    const std::uint32_t position = m_nPosition.load(std::memory_order_relaxed);
    if (position == m_nShown) return;
    m_nShown = position;
    dialog.SetProgressPos(position);
}

// Queued after the last position was stored, so it shows that one.
void CJobRelay::FlushProgress() {
    Post([this](IJobView& dialog) {
        if (const HWND window = Dialog()) ::KillTimer(window, kJobProgressTimer);
        ShowProgress(dialog);
    });
}

// The one call the worker waits for: the job goes on once the user has read
// the message. The text is copied, so the call owns all it uses.
void CJobRelay::ShowMessage(const std::string& text) {
    m_bMessageShown = true;
    Send([text](IJobView& dialog) { dialog.ShowMessage(text); });
}

// The paths are copied: the call owns all it uses.
void CJobRelay::OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) {
    m_outcome = {morvane::JobOutcome::Kind::Written, path, temporaryNotRemoved};
    Post([path, temporaryNotRemoved](IJobView& dialog) { dialog.OutputWritten(path, temporaryNotRemoved); });
}

void CJobRelay::OutputNotRemoved(const std::string& path) {
    if (m_outcome.kind != morvane::JobOutcome::Kind::Written)
        m_outcome.kind = morvane::JobOutcome::Kind::FailedOutputLeft;
    Post([path](IJobView& dialog) { dialog.OutputNotRemoved(path); });
}
