// A JobHost that remembers every call in order, so a test can check the
// exact messages and the sequence of busy, control and progress calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "job_host.h"

namespace morvane::test {

class RecordingJobHost final : public JobHost {
public:
    explicit RecordingJobHost(bool hasWindow = true) : m_hasWindow(hasWindow) {}

    bool HasWindow() const override;
    void SetBusy(bool busy) override;
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    // Kept cheap: a job reports every block.
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;
    void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) override;
    bool Cancelled() const override {
        return m_cancelled || (m_cancelAtPosition > 0 && m_lastPosition >= m_cancelAtPosition);
    }

    // Makes the host report that it can no longer take the job.
    void Cancel() { m_cancelled = true; }
    // Makes it report so once the progress has reached `position`.
    void CancelAtPosition(std::uint32_t position) { m_cancelAtPosition = position; }
    // Runs `action` once, when the progress reaches `position`: the job is
    // then in its payload, with that many blocks transformed.
    void AtPosition(std::uint32_t position, std::function<void()> action) {
        m_actionPosition = position;
        m_action = std::move(action);
    }

    // The calls in order, one word each: "busy 1", "enable 0", "range 256",
    // "step 1", "message", "output", and "pos" for a run of positions.
    const std::vector<std::string>& Calls() const { return m_calls; }
    // The same joined with ", ".
    std::string Trace() const;
    // Every call, HasWindow included.
    int CallCount() const { return m_callCount; }

    const std::vector<std::string>& Messages() const { return m_messages; }
    const std::vector<std::string>& OutputPaths() const { return m_outputPaths; }
    // The temporaries said to be left, one for each output (mostly empty).
    const std::vector<std::string>& TemporariesNotRemoved() const { return m_temporariesNotRemoved; }

    bool Busy() const { return m_busy; }
    // True until the controls are disabled, and again once enabled.
    bool ControlsEnabled() const { return m_controlsEnabled; }
    // True when the controls were disabled at any point.
    bool ControlsWereDisabled() const { return m_controlsWereDisabled; }
    // Controls state when each message was shown.
    const std::vector<bool>& ControlsEnabledAtMessages() const { return m_enabledAtMessages; }

    std::uint32_t RangeUpper() const { return m_rangeUpper; }
    std::uint32_t Step() const { return m_step; }
    std::uint64_t PositionCount() const { return m_positionCount; }
    std::uint32_t LastPosition() const { return m_lastPosition; }
    std::uint32_t MaxPosition() const { return m_maxPosition; }

private:
    void Record(const std::string& call);

    bool m_hasWindow;
    bool m_cancelled = false;
    std::uint32_t m_cancelAtPosition = 0;
    std::uint32_t m_actionPosition = 0;
    std::function<void()> m_action;
    mutable int m_callCount = 0;
    std::vector<std::string> m_calls;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_outputPaths;
    std::vector<std::string> m_temporariesNotRemoved;
    std::vector<bool> m_enabledAtMessages;
    bool m_busy = false;
    bool m_controlsEnabled = true;
    bool m_controlsWereDisabled = false;
    std::uint32_t m_rangeUpper = 0;
    std::uint32_t m_step = 0;
    std::uint64_t m_positionCount = 0;
    std::uint32_t m_lastPosition = 0;
    std::uint32_t m_maxPosition = 0;
};

}  // namespace morvane::test
