// The worker's side of the job host. Each call is handed to the dialog's
// thread and carried out there while the worker waits, so only the dialog's
// own thread ever touches the dialog. Once the dialog detaches (its window
// is going), calls do nothing and the job counts as cancelled: it stops
// before it creates any output.
//
// Progress is the exception: the worker only stores the latest position,
// and the dialog's thread fetches it on a timer about 30 times a second, so
// the worker never waits for the dialog while it transforms data. The last
// position is handed over synchronously when the job ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "job.h"

// Sent to the dialog with a call of its current job; lParam is the call.
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
    static std::shared_ptr<CJobRelay> Start(HWND hDialog, ThreadProc proc,
                                            std::unique_ptr<morvane::JobRequest> request);
    // On the dialog's thread: carries out `call` on `dialog` when it is a call
    // of `current`, the dialog's job, and the dialog has not detached.
    static void RunCall(LPARAM call, const CJobRelay* current, morvane::JobHost& dialog);
    // On the dialog's thread, at each tick of kJobProgressTimer: shows the
    // latest position of `current`, the dialog's job, when it has moved.
    static void ShowLatestProgress(CJobRelay* current, morvane::JobHost& dialog);

    // The dialog is going: no call reaches it any more.
    void Detach();
    // True once the worker has returned.
    bool Finished() const { return m_bFinished; }
    // On the dialog's thread, once detached: waits up to `milliseconds` for
    // the worker to return, answering meanwhile the calls it sent before it
    // saw the detach, which do nothing now. True when it has returned.
    bool WaitUntilFinished(DWORD milliseconds) const;

    bool HasWindow() const override;
    bool Cancelled() const override { return !HasWindow(); }
    void SetBusy(bool busy) override;
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;

private:
    struct Call {
        const CJobRelay* relay;
        const std::function<void(morvane::JobHost&)>* run;
    };
    // About 30 updates of the bar a second at most.
    static constexpr UINT kProgressIntervalMs = 33;

    void Forward(const std::function<void(morvane::JobHost&)>& run);
    HWND Dialog() const;
    // On the dialog's thread: the position, if it moved the bar.
    void ShowProgress(morvane::JobHost& dialog);
    // Stops the timer and shows the last position.
    void FlushProgress();

    mutable std::mutex m_mutex;
    HWND m_hDialog;  // null once detached
    std::atomic<bool> m_bFinished{false};
    HANDLE m_hFinished;  // set with m_bFinished; null if it could not be made

    // Stored by the worker, fetched by the dialog's thread.
    std::atomic<std::uint32_t> m_nPosition{0};
    // The dialog's thread only.
    std::uint32_t m_nShown = 0;
};
