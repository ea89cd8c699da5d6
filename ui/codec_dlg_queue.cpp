// The dialog and several files: what a drop, the program's arguments or a
// later start's hand-over put in the queue, and the queue run one file
// after another through the same job as a press. The queue itself decides
// (job_queue.h); this only shows it and starts its files.
#include "codec_dlg.h"

#include <utility>

#include "command_line.h"
#include "hand_over_copy_data.h"
#include "program_arguments.h"
#include "resource.h"
#include "win/app.h"

void CCodecDlg::SetStart(std::vector<std::string> arguments, CInstanceHandOver* instance) {
    m_pInstance = instance;
    if (!arguments.empty()) m_pendingStarts.push_back(std::move(arguments));
}

LRESULT CCodecDlg::OnCopyData(WPARAM, LPARAM lParam) {
    const morvane::ui::DecodedHandOver decoded = HandOverFromCopyData(lParam);
    if (decoded.problem != morvane::ui::HandOverProblem::None) return FALSE;
    m_pendingStarts.push_back(decoded.arguments);
    // Acted on later: the sender waits for nothing, whatever box shows.
    ::PostMessageW(m_hWnd, WM_APPLY_STARTS, 0, 0);
    return TRUE;
}

LRESULT CCodecDlg::OnApplyStarts(WPARAM, LPARAM) {
    // A modal box owns the window; its end posts this again.
    if (!::IsWindowEnabled(m_hWnd)) return 0;
    while (!m_pendingStarts.empty()) {
        // A lone job has the fields; its end posts this again.
        if (!m_bQueueRunning && Phase() != JobPhase::Idle) return 0;
        const std::vector<std::string> arguments = std::move(m_pendingStarts.front());
        m_pendingStarts.erase(m_pendingStarts.begin());
        ApplyStart(arguments, false);
    }
    return 0;
}

void CCodecDlg::ApplyStart(const std::vector<std::string>& arguments, bool fromDrop) {
    using namespace morvane::ui;
    const StartArguments parsed = ParseStartArguments(arguments, PathKindOnDisk);
    morvane::Platform& platform = m_pJobPlatform != nullptr ? *m_pJobPlatform : morvane::SystemPlatform();
    const StartPlan plan = PlanStart(parsed, platform);
    if (m_bQueueRunning) {
        for (QueueItem item : plan.items) {
            // Dropped on the running files, they go where those go, unless
            // a folder came with them.
            if (fromDrop && parsed.folder.empty()) item.folder = m_strTargetFolder;
            m_queue.Append(std::move(item));
        }
        m_report.SetPrefix(m_queue.ProgressPrefix());
        return;
    }
    UpdateData(true);
    // A drop keeps a folder already chosen; a start names its own.
    std::string folder = m_strTargetFolder;
    if (!parsed.folder.empty() || !fromDrop || folder.empty()) folder = plan.folderField;
    // Started at once, even one file is a queue; with no file there is none.
    const bool oneFile = plan.items.empty() || (!plan.startNow && plan.items.size() == 1);
    // A lone dropped file goes into the field as it always has, the mode kept.
    if (!plan.items.empty() && !(oneFile && fromDrop) && plan.decode != (m_bEncodeMode == FALSE))
        SetMode(plan.decode ? ID_FILE_DECODE : ID_FILE_ENCODE);
    ForgetWaitingQueue();
    // A lone dropped file leaves the line as it is; anything else is a new
    // set of files, and the latest output is no longer what the line names.
    if (!(oneFile && fromDrop)) {
        m_strResultPath.clear();
        m_queueSelection = {};
        m_report.Clear();
        ShowReport();
    }
    if (oneFile) {
        UpdateData(true);
        if (!plan.items.empty()) m_strSourcePath = plan.items.front().source;
        if (!parsed.folder.empty() || (!fromDrop && !plan.items.empty())) m_strTargetFolder = folder;
        UpdateData(false);
    } else {
        for (const QueueItem& item : plan.items) m_queue.Append(item);
        ShowFields(plan.items.front().source, folder);
        ShowActionText();
    }
    const std::string unused = UnusedArgumentsText(parsed.unused);
    if (!unused.empty()) {
        m_report.SetLine(unused);
        ShowReport();
    }
    if (plan.startNow && !plan.items.empty()) {
        m_bQueueRunning = true;
        RunQueue();
    }
}

void CCodecDlg::ShowFields(const std::string& source, const std::string& folder) {
    m_bFillingFields = true;
    m_strSourcePath = source;
    m_strTargetFolder = folder;
    UpdateData(false);
    m_bFillingFields = false;
}

void CCodecDlg::OnChangeSourcePath() {
    if (!m_bFillingFields) ForgetWaitingQueue();
}

void CCodecDlg::ForgetWaitingQueue() {
    if (m_bQueueRunning || m_queue.Count() == 0) return;
    m_queue.Clear();
    ShowActionText();
}

void CCodecDlg::ShowActionText() {
    const HWND button = GetDlgItem(IDOK);
    if (button == nullptr) return;
    std::string text = m_bQueueRunning ? std::string() : m_queue.ActionText();
    if (text.empty()) text = LoadResourceString(m_bEncodeMode ? IDS_ACTION_ENCODE : IDS_ACTION_DECODE);
    if (GetWindowTextString(button) != text) SetWindowTextString(button, text);
}

void CCodecDlg::RunQueue() {
    while (const morvane::ui::QueueItem* item = m_queue.Current()) {
        const bool encode = !item->decode;
        ShowFields(item->source, item->folder);
        m_report.SetPrefix(m_queue.ProgressPrefix());
        m_taskbar.SetQueueShare(static_cast<std::uint32_t>(m_queue.Count() - m_queue.Remaining()),
                                static_cast<std::uint32_t>(m_queue.Count()));
        if (const char* refusal = Refusal()) {
            m_report.Refused(encode);
            ShowReport();
            const bool goOn = ShowQueueFailure(refusal);
            m_queue.RecordFailed();
            if (!goOn) m_queue.DropWaiting();
            continue;
        }
        StartJob(encode);
        return;
    }
    EndQueue();
}

void CCodecDlg::PostPendingStarts() {
    if (!m_pendingStarts.empty()) ::PostMessageW(m_hWnd, WM_APPLY_STARTS, 0, 0);
}

bool CCodecDlg::ShowQueueFailure(const std::string& text) {
    const std::string question = m_queue.QuestionOnFailure();
    bool goOn = true;
    if (question.empty())
        AfxMessageBox(m_hWnd, text);
    else
        goOn = AfxMessageBox(m_hWnd, text + "\n\n" + question, MB_YESNO | MB_ICONEXCLAMATION) != IDNO;
    PostPendingStarts();
    return goOn;
}

bool CCodecDlg::RecordQueueEnd(const morvane::JobOutcome& outcome) {
    if (outcome.kind == morvane::JobOutcome::Kind::Written)
        m_queue.RecordWritten(m_strResultPath);
    else if (outcome.kind == morvane::JobOutcome::Kind::Stopped)
        m_queue.RecordStopped();
    else
        m_queue.RecordFailed();
    if (m_bDropAfterFailure) m_queue.DropWaiting();
    // A stop that came too late for this file still drops the rest.
    if (m_bQueueStopped) m_queue.RecordStopped();
    m_bDropAfterFailure = false;
    m_bQueueStopped = false;
    if (!m_queue.Finished()) return true;
    EndQueue();
    return false;
}

void CCodecDlg::EndQueue() {
    m_bQueueRunning = false;
    m_report.SetPrefix({});
    m_taskbar.SetQueueShare(0, 1);
    // At a job's end its SetBusy(false) takes the bar away.
    if (!m_session.Busy()) m_taskbar.Clear();
    const std::string summary = m_queue.SummaryText();
    if (!summary.empty()) {
        m_queueSelection = m_queue.ShowInFolderSelection();
        m_strResultPath = m_queueSelection.outputs.empty() ? std::string() : m_queueSelection.outputs.back();
        m_report.SetLine(summary);
        ShowReport();
        // The line names the folder; resting on it names each file's end.
        m_resultLine.SetTip(m_queue.EachFileText());
    }
    ShowActionText();
}
