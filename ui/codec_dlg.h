// The main dialog: the mode (encode or decode), the source file and target
// folder, the action button that starts one job on a worker thread, the
// progress bar and the menu bar. It is the job's host: the worker reaches it
// only through CJobRelay, which carries each call out on this dialog's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "job.h"
#include "job_relay.h"
#include "win/dialog.h"

class CCodecDlg : public CDialog, public morvane::JobHost {
public:
    explicit CCodecDlg(CWnd* pParent = nullptr);
    ~CCodecDlg() override;

    bool PreTranslateMessage(MSG* pMsg) override;

    // The job host, called on this dialog's thread.
    bool HasWindow() const override;
    void SetBusy(bool busy) override;
    // The two path fields, the two browse buttons, the action and Close
    // buttons, and the system menu's Close.
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    void SetProgressPos(std::uint32_t position) override;
    void ShowMessage(const std::string& text) override;

    BOOL IsBusy() const { return m_bBusy; }
    BOOL IsEncodeMode() const { return m_bEncodeMode; }
    // True from a job's start until its worker has returned.
    bool IsWorkerAlive() const;
    // The latest job's relay; it outlives the dialog while its worker runs.
    std::shared_ptr<const CJobRelay> JobRelay() const { return m_pJobRelay; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnHelpAbout();
    void OnFileExit();
    void SetMode(UINT nID);
    void OnDestroy();
    LRESULT OnJobHostCall(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    CButton m_btnAction;
    CProgressCtrl m_progress;
    std::string m_strSourcePath;
    std::string m_strTargetFolder;
    HICON m_hIcon;
    HACCEL m_hAccel = nullptr;  // no table is loaded
    BOOL m_bEncodeMode = TRUE;
    CWnd* m_pFocusEdit = nullptr;
    BOOL m_bAutoDisableItems = FALSE;
    CMenu m_menu;
    BOOL m_bBusy = FALSE;

private:
    void SetButtonIcon(int nIDButton, UINT nIDIcon);
    void ShowAboutBox();

    std::shared_ptr<CJobRelay> m_pJobRelay;  // the latest job's
};
