#include "job_report.h"

#include <utility>

#include "container_format.h"
#include "result_text.h"

namespace morvane {
namespace {

// Twice a second is enough to read; each repaint of the line takes the
// dialog's thread a millisecond or more under Wine, on a core the job may
// need.
constexpr std::uint64_t kProgressLineIntervalMs = 500;

}  // namespace

void JobReport::Clear() {
    *this = JobReport{};
}

void JobReport::SetLine(std::string text) {
    m_line = std::move(text);
}

void JobReport::Refused(bool encode) {
    m_bRunning = false;
    m_line = result_text::Failed(encode);
}

void JobReport::Started(bool encode, std::string fileName) {
    std::string prefix = std::move(m_prefix);
    *this = JobReport{};
    m_prefix = std::move(prefix);
    m_bRunning = true;
    m_bEncode = encode;
    m_fileName = std::move(fileName);
    m_line = m_prefix + result_text::Starting(encode, m_fileName);
}

void JobReport::RangeSet(std::uint32_t blocks, std::uint64_t nowMs) {
    m_nBlocks = blocks;
    m_nPosition = 0;
    m_nStartMs = nowMs;
    m_nLineMs = nowMs - kProgressLineIntervalMs;
    PositionReached(0, nowMs);
}

void JobReport::PositionReached(std::uint32_t position, std::uint64_t nowMs) {
    m_nPosition = position;
    // A stop under way, or a failure, says so until the job has ended.
    if (!m_bRunning || m_bStopRequested || m_bFailed) return;
    if (nowMs - m_nLineMs < kProgressLineIntervalMs) return;
    m_nLineMs = nowMs;
    const std::uint64_t total = std::uint64_t{m_nBlocks} * kBlockSize;
    const std::uint64_t done = std::uint64_t{position} * kBlockSize;
    m_line = m_prefix + result_text::Progress(m_bEncode, m_fileName, done, total, nowMs - m_nStartMs);
}

void JobReport::StopRequested() {
    m_bStopRequested = true;
    m_line = result_text::kStopping;
}

void JobReport::Written(const std::string& path, const std::string& temporaryNotRemoved) {
    m_writtenPath = path;
    m_writtenTemporary = temporaryNotRemoved;
    m_line = result_text::Written(m_bEncode, path, temporaryNotRemoved);
}

void JobReport::FailureShown() {
    m_bFailed = true;
    ShowEnd(Outcome());
}

void JobReport::Ended(const JobOutcome& outcome) {
    m_bRunning = false;
    ShowEnd(outcome);
}

JobOutcome JobReport::Outcome() const {
    if (!m_writtenPath.empty()) return {JobOutcome::Kind::Written, m_writtenPath, m_writtenTemporary};
    if (m_bOutputLeft) return {JobOutcome::Kind::FailedOutputLeft, {}, {}};
    if (m_bStopRequested && !m_bFailed) return {JobOutcome::Kind::Stopped, {}, {}};
    return {JobOutcome::Kind::Failed, {}, {}};
}

void JobReport::ShowEnd(const JobOutcome& outcome) {
    switch (outcome.kind) {
    case JobOutcome::Kind::Written:
        m_writtenPath = outcome.path;
        m_writtenTemporary = outcome.temporaryNotRemoved;
        m_line = result_text::Written(m_bEncode, outcome.path, outcome.temporaryNotRemoved);
        break;
    case JobOutcome::Kind::FailedOutputLeft:
        m_line = result_text::FailedWithLeftover(m_bEncode);
        break;
    case JobOutcome::Kind::Stopped:
        m_line = result_text::kStopped;
        break;
    case JobOutcome::Kind::Failed:
        m_line = result_text::Failed(m_bEncode);
        break;
    }
}

}  // namespace morvane
