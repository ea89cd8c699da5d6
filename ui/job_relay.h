// The worker's side of the job host. Each call is handed to the dialog's
// thread and carried out there while the worker waits, so only the dialog's
// own thread ever touches the dialog. Once the dialog detaches (its window
// is going), calls do nothing and the job counts as cancelled: it stops
// before it creates any output.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "job.h"

// Sent to the dialog with a call of its current job; lParam is the call.
inline constexpr UINT WM_JOB_HOST_CALL = WM_APP + 1;

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
    using Clock = std::chrono::steady_clock;
    // About 30 updates of the bar a second at most.
    static constexpr Clock::duration kProgressInterval = std::chrono::milliseconds(33);
    static constexpr std::uint32_t kClockBlocks = 16;

    void Forward(const std::function<void(morvane::JobHost&)>& run);
    void ShowProgress(std::uint32_t position, Clock::time_point now);
    void FlushProgress();

    mutable std::mutex m_mutex;
    HWND m_hDialog;  // null once detached
    std::atomic<bool> m_bFinished{false};
    HANDLE m_hFinished;  // set with m_bFinished; null if it could not be made

    // Progress, on the worker's thread only.
    std::uint32_t m_nUpper = 0;
    std::uint32_t m_nShown = 0;
    std::uint32_t m_nPending = 0;
    bool m_bPending = false;
    Clock::time_point m_lastShown{};
};
