// The main dialog: the mode (encode or decode), the source file and target
// folder with their pickers, the action button that starts one job on a
// worker thread, the progress bar, the result line below it (what the job
// is doing, then what it wrote) and the menu bar, whose Edit commands act
// on the path field that has the focus. Its job's session says what the job
// is doing; the worker reaches the dialog only as its view, through
// CJobRelay, which carries each call out on this dialog's thread.
// While a job transforms data the Close button reads "Stop" and, like Escape,
// stops it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "job.h"
#include "job_queue.h"
#include "job_report.h"
#include "job_session.h"
#include "job_view.h"
#include "result_line.h"
#include "taskbar_progress.h"
#include "win/cmd_ui.h"
#include "win/dialog.h"
#include "win/dpi_scaler.h"

class CInstanceHandOver;

// Posted to the dialog: arguments handed over, or given at its start, wait
// to be acted on (once no modal box owns the window and no lone job runs).
inline constexpr UINT WM_APPLY_STARTS = WM_APP + 2;

class CCodecDlg : public CDialog, public IJobView {
public:
    explicit CCodecDlg(CWnd* pParent = nullptr);
    ~CCodecDlg() override;

    bool PreTranslateMessage(MSG* pMsg) override;

    // The job's view, called on this dialog's thread.
    void SetBusy(bool busy) override;
    // The two path fields, the two browse buttons, the action button and
    // the system menu's Close; the Close button turns into Stop and back.
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;
    void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) override;
    void OutputNotRemoved(const std::string& path) override;
    void JobEnded(const morvane::JobOutcome& outcome) override;

    JobPhase Phase() const { return m_session.Phase(); }
    BOOL IsBusy() const { return m_session.Busy() ? TRUE : FALSE; }
    BOOL IsEncodeMode() const { return m_bEncodeMode; }
    // True from a job's start until its worker has returned and this dialog
    // has carried out all the job asked of it.
    bool IsWorkerAlive() const { return Phase() != JobPhase::Idle; }
    // The latest job's relay; it outlives the dialog while its worker runs.
    std::shared_ptr<const CJobRelay> JobRelay() const { return m_session.Relay(); }
    // The result line's whole text (it may show shortened).
    const std::string& ResultText() const { return m_resultLine.Text(); }
    // What the line's tip holds: after a queue, what each file became.
    std::string ResultTip() const { return m_resultLine.Tip(); }
    // The output the latest job wrote, until a mode switch or another job;
    // empty when there is none. File > Show in Folder opens it.
    const std::string& ResultPath() const { return m_strResultPath; }

    // The arguments the program was started with (full paths), acted on
    // once the window is up, as a later start's would be; and where the
    // window is published for later starts (null: nowhere).
    void SetStart(std::vector<std::string> arguments, CInstanceHandOver* instance);
    // The files the window works through; several only with a queue.
    const morvane::ui::JobQueue& Queue() const { return m_queue; }
    // True from the start of several files until the last has ended.
    bool QueueRunning() const { return m_bQueueRunning; }
    // Arguments handed over and not yet acted on.
    bool StartsPending() const { return !m_pendingStarts.empty(); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotifyMessage(WPARAM wParam, LPARAM lParam);
    // The window moved to a display of another DPI (wParam: the new DPI,
    // lParam: the suggested window rectangle).
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam);
    void OnShowInFolder();
    void OnUpdateShowInFolder(CCmdUI* pCmdUI);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnHelpAbout();
    void OnFileExit();
    void SetMode(UINT nID);
    void OnDestroy();
    void OnEndSession(BOOL bEnding);
    LRESULT OnJobHostCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnJobTimer(WPARAM wParam, LPARAM lParam);

    // Several files (codec_dlg_queue.cpp). A later start's arguments, by
    // WM_COPYDATA: taken (TRUE) or refused as malformed (FALSE).
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnApplyStarts(WPARAM wParam, LPARAM lParam);
    // The user edited the file field: a waiting queue is forgotten.
    void OnChangeSourcePath();

    // The pickers beside the two path fields (path_selection.cpp).
    void OnBrowseSource();
    void OnBrowseFolder();
    static int CALLBACK BrowseFolderCallback(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
    // A file dropped on the window goes into the file field, a folder into
    // the folder field; while a job runs a drop changes nothing.
    void OnDropFiles(HDROP hDropInfo);

    // Focus tracking and the Edit commands (edit_commands.cpp).
    void OnKillFocus(HWND hNewWnd);
    void OnSetFocusSourcePath();
    void OnSetFocusTargetFolder();
    void OnKillFocusPathEdit();
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditDelete();
    void OnEditSelectAll();
    void OnUpdateEditUndo(CCmdUI* pCmdUI);
    void OnUpdateEditSelection(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);

    // The state of the menu bar's items (edit_commands.cpp).
    void OnUpdateNotBusy(CCmdUI* pCmdUI);
    void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu);

    DECLARE_MESSAGE_MAP()

    CButton m_btnAction;
    CProgressCtrl m_progress;
    std::string m_strSourcePath;
    std::string m_strTargetFolder;
    HICON m_hIcon;
    HACCEL m_hAccel = nullptr;  // no table is loaded
    BOOL m_bEncodeMode = TRUE;
    CWnd* m_pFocusEdit = nullptr;  // m_wndSourcePath, m_wndTargetFolder or null
    // On: an item without update handler that the dialog cannot carry out
    // is greyed. Every item of this menu has an update handler, or (About) a
    // command handler, so the menu looks the same either way; on keeps an
    // item added without handlers from looking usable.
    BOOL m_bAutoDisableItems = TRUE;
    CMenu m_menu;
    CTaskbarProgress m_taskbar;
    // Where the jobs reach the file system; null: the system. Tests hold a
    // job at a point of their choosing through it.
    morvane::Platform* m_pJobPlatform = nullptr;
    // Shows files selected in their folder (one, or several of one folder);
    // null: the shell (Explorer). Tests record the call through it.
    std::function<void(const std::vector<std::string>& paths)> m_showInFolder;
    // Run by each job's worker once its job has returned, before the dialog
    // learns of it; null: nothing. Tests hold a worker there.
    std::function<void()> m_onWorkerReturned;
    // How long the end of the session waits for a stopped job to clean up;
    // the system allows a few seconds before it ends the process regardless.
    // Tests wait on the job itself.
    DWORD m_nEndSessionWaitMs = 4000;

private:
    // The two "..." buttons' icons at the size for the window's DPI.
    void SetButtonIcons();
    void SetButtonIcon(int nIDButton, UINT nIDIcon, HICON& owned);
    // File > Show in Folder, before Exit, with a separator of its own.
    void AddShowInFolderItem();
    // The job's end on the result line and the bar.
    void ShowJobEnd(const morvane::JobOutcome& outcome);
    // The report's line on the result line.
    void ShowReport();
    // Why the paths in the fields cannot start a job; null when they can.
    const char* Refusal() const;
    // Starts a job on the paths in the fields.
    void StartJob(bool encode);
    // Stop: the job stops at its next check.
    void StopJob();
    // While the job transforms data the window stays, and Close means Stop.
    bool ClosingRefused() const;
    void ShowAboutBox();
    // The focused path field's window while it exists, else null.
    HWND FocusedEdit() const;
    void SendToFocusedEdit(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void UpdateEditItem(CCmdUI* pCmdUI, bool (*condition)(HWND edit));

    // The path fields as focus targets of the Edit commands.
    CWnd m_wndSourcePath;
    CWnd m_wndTargetFolder;

    // Gives the focus back to the control that had it when the job's
    // controls were disabled, or to the action button.
    void RestoreFocusAfterJob();

    CJobSession m_session;  // the latest job

    // The template's controls and font at the window's DPI.
    CDpiScaler m_dpiScaler;
    HICON m_hBrowseSourceIcon = nullptr;  // owned
    HICON m_hBrowseFolderIcon = nullptr;  // owned

    // Several files (codec_dlg_queue.cpp).
    // Places the paths of a drop, or a start's arguments, as the plan says;
    // while a queue runs its files join the end.
    void ApplyStart(const std::vector<std::string>& arguments, bool fromDrop);
    // Fills the fields without the file field's edit forgetting the queue.
    void ShowFields(const std::string& source, const std::string& folder);
    // Starts the queue's current item, or ends the queue when none is left.
    void RunQueue();
    // The job's end recorded on the queue; true when the next item is due.
    bool RecordQueueEnd(const morvane::JobOutcome& outcome);
    void EndQueue();
    // A waiting queue is forgotten and the button reads as for one file.
    void ForgetWaitingQueue();
    void ShowActionText();
    // After a modal box or picker: what was handed over meanwhile is acted on.
    void PostPendingStarts();
    // A queue's failure: the box also asks whether to go on; false for No.
    bool ShowQueueFailure(const std::string& text);

    morvane::ui::JobQueue m_queue;
    bool m_bQueueRunning = false;
    bool m_bQueueStopped = false;      // Stop was pressed: the rest is dropped
    bool m_bDropAfterFailure = false;  // No to the question after a failure
    bool m_bFillingFields = false;
    // What Show in Folder selects after several files.
    morvane::ui::FolderSelection m_queueSelection;
    // Arguments to act on, in the order they came.
    std::vector<std::vector<std::string>> m_pendingStarts;
    CInstanceHandOver* m_pInstance = nullptr;

    // The latest job, as the result line tells it.
    CResultLine m_resultLine;
    morvane::JobReport m_report;
    std::string m_strResultPath;  // what it wrote, once written
    // The control that had the focus when the job disabled the controls.
    HWND m_hFocusBeforeJob = nullptr;
};
