#include "job_session.h"

#include <utility>

JobPhase CJobSession::Phase() const {
    // The controls come back after the job has said it is no longer busy:
    // until then Close still reads Stop, and the dialog is not its own yet.
    if (m_bControlsOff) return m_bStopRequested ? JobPhase::Stopping : JobPhase::Transforming;
    if (m_bBusy) return JobPhase::Checking;
    return WorkerAlive() ? JobPhase::Returning : JobPhase::Idle;
}

bool CJobSession::Busy() const {
    const JobPhase phase = Phase();
    return phase != JobPhase::Idle && phase != JobPhase::Returning;
}

void CJobSession::Start(HWND dialog, CJobRelay::ThreadProc proc, std::unique_ptr<morvane::JobRequest> request,
                        std::function<void()> onReturned) {
    m_bPressKept = false;
    m_bStopRequested = false;
    m_bBusy = true;
    m_pRelay = CJobRelay::Start(dialog, proc, std::move(request), std::move(onReturned));
}

bool CJobSession::RequestStop() {
    if (!WorkerAlive()) return false;
    m_pRelay->RequestStop();
    m_bStopRequested = true;
    return true;
}

void CJobSession::Detach() {
    if (m_pRelay) m_pRelay->Detach();
}

bool CJobSession::LetGoAndWait(DWORD milliseconds) {
    Detach();
    return m_pRelay && m_pRelay->WaitForWorker(milliseconds);
}

bool CJobSession::TakeDuePress() {
    if (!m_bPressKept || Phase() != JobPhase::Idle) return false;
    m_bPressKept = false;
    return true;
}
