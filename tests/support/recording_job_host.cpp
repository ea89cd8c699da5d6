#include "recording_job_host.h"

#include <algorithm>
#include <utility>

namespace morvane::test {

bool RecordingJobHost::HasWindow() const {
    ++m_callCount;
    return m_hasWindow;
}

void RecordingJobHost::Record(const std::string& call) {
    ++m_callCount;
    m_calls.push_back(call);
}

void RecordingJobHost::SetBusy(bool busy) {
    Record(busy ? "busy 1" : "busy 0");
    m_busy = busy;
}

void RecordingJobHost::EnableJobControls(bool enable) {
    Record(enable ? "enable 1" : "enable 0");
    m_controlsEnabled = enable;
    if (!enable) m_controlsWereDisabled = true;
}

void RecordingJobHost::SetProgressRange(std::uint32_t upper) {
    Record("range " + std::to_string(upper));
    m_rangeUpper = upper;
}

void RecordingJobHost::SetProgressStep(std::uint32_t step) {
    Record("step " + std::to_string(step));
    m_step = step;
}

void RecordingJobHost::SetProgressPos(std::uint32_t position) {
    ++m_callCount;
    if (m_calls.empty() || m_calls.back() != "pos") m_calls.emplace_back("pos");
    ++m_positionCount;
    m_lastPosition = position;
    m_maxPosition = std::max(m_maxPosition, position);
    if (m_action && position >= m_actionPosition) std::exchange(m_action, nullptr)();
}

void RecordingJobHost::ShowMessage(const std::string& text) {
    Record("message");
    m_messages.push_back(text);
    m_enabledAtMessages.push_back(m_controlsEnabled);
}

void RecordingJobHost::OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) {
    Record("output");
    m_outputPaths.push_back(path);
    m_temporariesNotRemoved.push_back(temporaryNotRemoved);
}

std::string RecordingJobHost::Trace() const {
    std::string trace;
    for (const std::string& call : m_calls) {
        if (!trace.empty()) trace += ", ";
        trace += call;
    }
    return trace;
}

}  // namespace morvane::test
