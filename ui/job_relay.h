// The worker's side of the job host. Each call is queued for the dialog's
// thread and carried out there, in the order the worker made them, so only
// the dialog's own thread ever touches the dialog. A call that returns
// nothing lets the worker go on at once; a message makes it wait until the
// user has read it. Once the dialog detaches (its window is going), queued
// calls are dropped, new ones do nothing, and the job counts as cancelled:
// it stops at its next check (once its checks are done, every 16 blocks
// while it transforms data, and right before its output would get its name)
// and removes what it had written. A job whose output already has its name
// keeps it.
//
// The dialog can ask the job to stop (RequestStop): the job sees it as
// the host's cancellation and stops at its next check, as above.
//
// Progress is the exception: the worker only stores the latest position,
// and the dialog's thread fetches it on a timer about 10 times a second, so
// the worker never waits for the dialog while it transforms data. The last
// position is shown before the job's end is.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "job.h"
#include "job_report.h"
#include "job_view.h"

// Posted to the dialog when its job has queued calls.
inline constexpr UINT WM_JOB_HOST_CALL = WM_APP + 1;
// The dialog's timer that fetches a running job's progress.
inline constexpr UINT_PTR kJobProgressTimer = 0x4D51;

class CJobRelay final : public morvane::JobHost {
public:
    using ThreadProc = std::uint32_t (*)(void*);

    explicit CJobRelay(HWND hDialog);
    ~CJobRelay() override;
    CJobRelay(const CJobRelay&) = delete;
    CJobRelay& operator=(const CJobRelay&) = delete;

    // Starts one worker running `proc` on `request`, with a new relay to the
    // dialog as its host. The worker keeps the relay alive as long as it runs.
    // Once `proc` has returned the worker runs `onReturned` (if any; tests
    // hold it there), then counts as returned and wakes the dialog.
    static std::shared_ptr<CJobRelay> Start(HWND hDialog, ThreadProc proc, std::unique_ptr<morvane::JobRequest> request,
                                            std::function<void()> onReturned = {});
    // On the dialog's thread: carries out, in order, the calls queued by
    // `current`, the dialog's job, unless the dialog has detached.
    static void RunCalls(CJobRelay* current, IJobView& dialog);
    // On the dialog's thread, at each tick of kJobProgressTimer: shows the
    // latest position of `current`, the dialog's job, when it has moved.
    static void ShowLatestProgress(CJobRelay* current, IJobView& dialog);

    // The dialog is going: no call reaches it any more, and a worker waiting
    // for one goes on.
    void Detach();
    // True once the worker has returned. The dialog is then sent
    // WM_JOB_HOST_CALL once more, unless it has detached.
    bool WorkerReturned() const { return m_bWorkerReturned; }
    // What the job returned (a morvane::JobResult), once the worker has
    // returned; it agrees with the outcome the dialog was given at the end.
    std::uint32_t Result() const { return m_nResult; }
    // True once the worker has returned and the dialog has carried out (or,
    // detached, dropped) every call it made: the job is over for the dialog.
    bool OverForDialog() const;
    // Waits up to `milliseconds` for the worker to return; true when it has.
    // Once detached, the worker never waits for the dialog's thread, so that
    // thread may wait here.
    bool WaitForWorker(DWORD milliseconds) const;

    // The user wants the job stopped. Any thread; the job notices it at its
    // next check of Cancelled().
    void RequestStop() { m_bStopRequested = true; }
    bool StopRequested() const { return m_bStopRequested; }

    bool HasWindow() const override;
    bool Cancelled() const override { return m_bStopRequested || !HasWindow(); }
    void SetBusy(bool busy) override;
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;
    void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) override;
    void OutputNotRemoved(const std::string& path) override;

private:
    using Call = std::function<void(IJobView&)>;
    // About 10 updates of the bar a second at most: under Wine each repaint
    // of the bar took 1 to 3 ms of the dialog's thread, and 30 a second
    // slowed a job sharing two cores with it by several per cent.
    static constexpr UINT kProgressIntervalMs = 100;

    // Queues `call` and wakes the dialog's thread; the worker goes on at
    // once. Returns the call's ticket, or 0 when the dialog has detached.
    std::uint64_t Post(Call call);
    // Queues `call` and waits until it has been carried out or dropped.
    void Send(Call call);
    HWND Dialog() const;
    // On the dialog's thread: the position, if it moved the bar.
    void ShowProgress(IJobView& dialog);
    // Stops the timer and shows the last position.
    void FlushProgress();

    mutable std::mutex m_mutex;
    std::condition_variable m_carriedOut;
    HWND m_hDialog;                                                // null once detached
    std::deque<Call> m_calls;                                      // queued, not yet taken by the dialog's thread
    std::uint64_t m_nQueued = 0;                                   // tickets given
    std::uint64_t m_nDone = 0;                                     // tickets carried out (a detach drops the rest)
    std::atomic<std::uint32_t> m_nResult{morvane::kJobNoRequest};  // set before m_bWorkerReturned
    std::atomic<bool> m_bWorkerReturned{false};                    // set under m_mutex
    mutable std::condition_variable m_returnedChanged;
    std::atomic<bool> m_bStopRequested{false};

    // Stored by the worker, fetched by the dialog's thread.
    std::atomic<std::uint32_t> m_nPosition{0};
    // The dialog's thread only.
    std::uint32_t m_nShown = 0;
    // What became of the job, as its calls tell it; the worker's only.
    morvane::JobOutcome m_outcome;
    bool m_bMessageShown = false;
};
