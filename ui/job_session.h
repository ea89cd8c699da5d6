// The dialog's latest job and what it is doing, as one phase. It starts a
// job on a worker through a new CJobRelay, asks it to stop, lets it go when
// the window goes, and waits for it at the end of the session. Every
// handler of the dialog asks Phase(); the job itself moves it on through
// the calls its relay carries out (SetBusy, EnableJobControls). Used on the
// dialog's thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "job.h"
#include "job_relay.h"

enum class JobPhase {
    Idle,          // no job, or its worker has returned and all it asked is done
    Checking,      // pressed: the job checks its paths, the controls still on
    Transforming,  // the controls are off and Close reads Stop
    Stopping,      // ... and the user asked the job to stop
    Returning,     // the job is over for the user; its worker has yet to return
};

class CJobSession {
public:
    CJobSession() = default;
    CJobSession(const CJobSession&) = delete;
    CJobSession& operator=(const CJobSession&) = delete;
    ~CJobSession() { Detach(); }

    JobPhase Phase() const;
    // Checking, Transforming or Stopping: the job has the dialog.
    bool Busy() const;
    // The latest job's relay; it outlives the dialog while its worker runs.
    std::shared_ptr<const CJobRelay> Relay() const { return m_pRelay; }

    // Starts `proc` on `request` on a worker whose calls reach `dialog`;
    // busy from here on, before the job's own SetBusy(true) arrives, so that
    // no command that must wait for the job is offered meanwhile.
    void Start(HWND dialog, CJobRelay::ThreadProc proc, std::unique_ptr<morvane::JobRequest> request,
               std::function<void()> onReturned);
    // The job stops at its next check. False when no job runs.
    bool RequestStop();
    // The window is going: no call of the job reaches it any more.
    void Detach();
    // The end of the session: lets the job go, as if the window had gone, and
    // waits up to `milliseconds` for its worker; true once it has returned.
    bool LetGoAndWait(DWORD milliseconds);

    // A press in Returning starts the next job once the worker has returned
    // (the dialog asks TakeDuePress after each batch of calls); several jobs
    // one after another start their next the same way, once Idle.
    void KeepPress() { m_bPressKept = true; }
    // True, once, when a kept press is due.
    bool TakeDuePress();

    // What the job's calls say, carried out on the dialog's thread.
    void SetBusy(bool busy) { m_bBusy = busy; }
    void SetControlsOff(bool off) { m_bControlsOff = off; }
    void RunCalls(IJobView& view) { CJobRelay::RunCalls(m_pRelay.get(), view); }
    void ShowLatestProgress(IJobView& view) { CJobRelay::ShowLatestProgress(m_pRelay.get(), view); }

private:
    bool WorkerAlive() const { return m_pRelay && !m_pRelay->OverForDialog(); }

    std::shared_ptr<CJobRelay> m_pRelay;
    bool m_bBusy = false;
    bool m_bControlsOff = false;
    bool m_bStopRequested = false;
    bool m_bPressKept = false;
};
