// The dialog and its job: the press that starts one, Stop and closing
// while it runs, the end of the session, and the dialog as the job's view
// (the calls its relay carries out on this thread).
#include "codec_dlg.h"

#include <algorithm>

#include "instance_hand_over.h"
#include "path_exists.h"
#include "path_text.h"
#include "resource.h"
#include "win/app.h"

namespace {

// Disabled while a job transforms data; the Close button becomes Stop.
constexpr int kJobControls[] = {IDC_SOURCE_PATH, IDC_BROWSE_SOURCE, IDC_TARGET_FOLDER, IDC_BROWSE_FOLDER, IDOK};

// The last component of a path.
std::string FileNameOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Sets a control's text, and its enabling, with its repainting held off:
// a button repaints itself at once when it is enabled or disabled, so each
// would paint on its own; held off, it repaints later with the rest of the
// dialog, in one pass.
void UpdateQuietly(HWND control, bool enable, UINT textId = 0) {
    ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    if (textId != 0) SetWindowTextString(control, LoadResourceString(textId));
    ::EnableWindow(control, enable);
    ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control, nullptr, TRUE);
}

}  // namespace

void CCodecDlg::OnOK() {
    // One job at a time: a press while a job is under way, even one still in
    // its checks with the button enabled, starts nothing. A job that has
    // handed the dialog back (no longer busy) has only its worker's return
    // left: a press then is kept, and starts the next job once it is over.
    if (Phase() != JobPhase::Idle) {
        if (Phase() == JobPhase::Returning) m_session.KeepPress();
        return;
    }
    UpdateData(true);
    m_strSourcePath = UnquotedPath(m_strSourcePath);
    m_strTargetFolder = UnquotedPath(m_strTargetFolder);
    // Nothing of the previous job shows once this press is answered.
    m_progress.SetPos(0);
    m_strResultPath.clear();
    m_queueSelection = {};
    // Several files wait: they go into the folder the field names now.
    if (m_queue.Count() > 1 && !m_queue.Finished()) {
        m_queue.TargetWaiting(m_strTargetFolder);
        m_bQueueRunning = true;
        RunQueue();
        return;
    }
    const bool encode = m_bEncodeMode != FALSE;
    if (const char* refusal = Refusal()) {
        m_report.Refused(encode);
        ShowReport();
        ShowMessage(refusal);
        return;
    }
    StartJob(encode);
}

const char* CCodecDlg::Refusal() const {
    if (!morvane::PathExists(m_strSourcePath)) return "File not exist.";
    if (!morvane::PathExists(m_strTargetFolder)) return "Folder does not exist.";
    return nullptr;
}

void CCodecDlg::StartJob(bool encode) {
    // The job works on copies of the paths, so the fields may change meanwhile.
    auto request = std::make_unique<morvane::JobRequest>();
    request->sourcePath = m_strSourcePath;
    request->targetFolder = m_strTargetFolder;
    request->platform = m_pJobPlatform;
    m_report.Started(encode, FileNameOf(m_strSourcePath));
    ShowReport();
    m_session.Start(m_hWnd, encode ? morvane::EncodeThreadProc : morvane::DecodeThreadProc, std::move(request),
                    m_onWorkerReturned);
}

// The Close button and Escape: while a job transforms data they stop it;
// otherwise they close the dialog.
void CCodecDlg::OnCancel() {
    // Escape arrives here even with the button disabled (a stop under way).
    const HWND close = GetDlgItem(IDCANCEL);
    if (close != nullptr && !::IsWindowEnabled(close)) return;
    // Several files: the window stays until the queue has ended.
    if (Phase() == JobPhase::Transforming || Phase() == JobPhase::Stopping ||
        (m_bQueueRunning && Phase() != JobPhase::Idle)) {
        StopJob();
        return;
    }
    CDialog::OnCancel();
}

void CCodecDlg::StopJob() {
    if (!m_session.RequestStop()) return;
    m_bQueueStopped = m_bQueueRunning;
    // Until the job has ended: a second press would mean nothing.
    if (const HWND stop = GetDlgItem(IDCANCEL)) UpdateQuietly(stop, false);
    m_report.StopRequested();
    ShowReport();
}

// The title bar's X and Alt+F4 (through WM_SYSCOMMAND or WM_CLOSE) keep
// their rule: refused while a job transforms data.
LRESULT CCodecDlg::OnCloseMessage(WPARAM, LPARAM) {
    if (!ClosingRefused()) Default();
    return 0;
}

bool CCodecDlg::ClosingRefused() const {
    return Phase() == JobPhase::Transforming || Phase() == JobPhase::Stopping;
}

void CCodecDlg::OnDestroy() {
    // Later starts open a window of their own from now on.
    if (m_pInstance != nullptr) m_pInstance->PublishWindow(nullptr);
    m_session.Detach();
}

// The process may be ended as soon as this returns: a running job is
// stopped, as if the dialog had gone, and its clean-up waited for, so no
// temporary is left behind.
void CCodecDlg::OnEndSession(BOOL bEnding) {
    if (!bEnding || Phase() == JobPhase::Idle) return;
    if (!m_session.LetGoAndWait(m_nEndSessionWaitMs)) return;
    // Should the process live on after all, the dialog is usable again, and
    // says the job was stopped.
    m_report.StopRequested();
    ShowJobEnd(m_report.Outcome());
    if (m_bQueueRunning) {
        m_queue.RecordStopped();
        EndQueue();
    }
    SetBusy(false);
    EnableJobControls(true);
}

LRESULT CCodecDlg::OnJobHostCall(WPARAM, LPARAM) {
    m_session.RunCalls(*this);
    if (m_session.TakeDuePress()) {
        if (m_bQueueRunning)
            RunQueue();
        else
            OnOK();
    }
    // Arguments that came while a lone job ran are acted on once it is over.
    if (Phase() == JobPhase::Idle) PostPendingStarts();
    return 0;
}

LRESULT CCodecDlg::OnJobTimer(WPARAM wParam, LPARAM) {
    if (wParam != kJobProgressTimer) return 0;
    m_session.ShowLatestProgress(*this);
    // The speed and time left move on while the position stands still.
    m_report.Tick(::GetTickCount64());
    ShowReport();
    return 0;
}

void CCodecDlg::SetBusy(bool busy) {
    m_session.SetBusy(busy);
    // Between two files of a queue the button keeps the whole queue's bar.
    if (!busy && !m_bQueueRunning) m_taskbar.Clear();
}

void CCodecDlg::JobEnded(const morvane::JobOutcome& outcome) {
    ShowJobEnd(outcome);
    // The next file starts once this job's worker has returned.
    if (m_bQueueRunning && RecordQueueEnd(outcome)) m_session.KeepPress();
}

void CCodecDlg::ShowJobEnd(const morvane::JobOutcome& outcome) {
    morvane::JobOutcome shown = outcome;
    // A folder typed with '/' gives a path of both separators: it shows,
    // and goes to the shell, with Windows' own.
    std::replace(shown.path.begin(), shown.path.end(), '/', '\\');
    if (shown.kind == morvane::JobOutcome::Kind::Written)
        m_strResultPath = shown.path;
    else
        m_progress.SetPos(0);  // nothing was written: the bar does not suggest otherwise
    m_report.Ended(shown);
    ShowReport();
}

void CCodecDlg::ShowReport() {
    m_resultLine.SetText(m_report.Line());
}

void CCodecDlg::OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) {
    std::string written = path;
    std::replace(written.begin(), written.end(), '/', '\\');
    m_strResultPath = written;
    m_report.Written(written, temporaryNotRemoved);
    ShowReport();
}

void CCodecDlg::OutputNotRemoved(const std::string&) {
    // The message that follows names it; the result line says it stayed.
    m_report.OutputLeft();
}

void CCodecDlg::EnableJobControls(bool enable) {
    if (!enable) {
        // A disabled control loses the focus and nothing takes it: remember it.
        const HWND focus = ::GetFocus();
        m_hFocusBeforeJob = focus != nullptr && ::IsChild(m_hWnd, focus) ? focus : nullptr;
    }
    for (const int id : kJobControls) {
        if (const HWND control = GetDlgItem(id)) UpdateQuietly(control, enable);
    }
    // Enabled either way: Close, or Stop while the job transforms data.
    const HWND close = GetDlgItem(IDCANCEL);
    if (close != nullptr) UpdateQuietly(close, true, enable ? IDS_CLOSE : IDS_STOP);
    // The focus leaves the control just disabled for Stop, so Space, Enter
    // and Escape reach the dialog: Windows leaves no control with the focus
    // (keys then come as system keys), Wine the disabled one (which drops
    // them). A plain SetFocus leaves the default button where it is, so
    // only one button repaints; the end of the job puts the focus back.
    if (!enable && close != nullptr && m_hFocusBeforeJob != nullptr && m_hFocusBeforeJob != close) ::SetFocus(close);
    if (const HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE))
        ::EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    const bool wereOff = ClosingRefused();
    m_session.SetControlsOff(!enable);
    if (enable && wereOff) RestoreFocusAfterJob();
}

void CCodecDlg::RestoreFocusAfterJob() {
    HWND target = m_hFocusBeforeJob;
    m_hFocusBeforeJob = nullptr;
    // Another program active meanwhile keeps its focus; the dialog's own
    // turn comes when the user returns to it.
    if (::GetActiveWindow() != m_hWnd) return;
    if (target == nullptr || !::IsChild(m_hWnd, target) || !::IsWindowEnabled(target)) target = GetDlgItem(IDOK);
    // As the dialog manager moves the focus: the default button follows, and
    // an edit's text is selected.
    if (target != nullptr) ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void CCodecDlg::SetProgressRange(std::uint32_t upper) {
    m_progress.SetRange32(0, static_cast<int>(upper));
    m_taskbar.Start(m_hWnd, upper);
    m_report.RangeSet(upper, ::GetTickCount64());
    ShowReport();
}

void CCodecDlg::SetProgressStep(std::uint32_t step) {
    m_progress.SetStep(static_cast<int>(step));
}

void CCodecDlg::SetProgressPos(std::uint32_t position) {
    m_progress.SetPos(static_cast<int>(position));
    m_taskbar.SetPos(position);
    m_report.PositionReached(position, ::GetTickCount64());
    ShowReport();
}

void CCodecDlg::ShowMessage(const std::string& text) {
    // A job's message is a failure: the taskbar button is red while it
    // shows, and the result line says what became of the output.
    const bool inJob = m_session.Busy();
    if (inJob) {
        m_report.FailureShown();
        if (m_report.Outcome().kind != morvane::JobOutcome::Kind::Written) m_progress.SetPos(0);
        ShowReport();
        m_taskbar.ShowError(m_hWnd);
    }
    if (inJob && m_bQueueRunning) {
        if (!ShowQueueFailure(text)) m_bDropAfterFailure = true;
    } else {
        AfxMessageBox(m_hWnd, text);
    }
    if (inJob) m_taskbar.Clear();
    PostPendingStarts();
}
