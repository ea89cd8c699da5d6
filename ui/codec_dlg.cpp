// The main dialog's window: its set-up, menus, mode, DPI and result line.
// Its job is in codec_dlg_job.cpp, its pickers and drops in
// path_selection.cpp, its Edit commands in edit_commands.cpp.
#include "codec_dlg.h"

#include "about_dlg.h"
#include "instance_hand_over.h"
#include "resource.h"
#include "show_in_folder.h"
#include "win/app.h"

namespace {

// The last keyboard message an accelerator table is offered.
constexpr UINT kLastKeyMessage = 0x0108;

// The "..." buttons' icons are drawn for 96 DPI at this size.
constexpr int kButtonIconSize = 16;

}  // namespace

CCodecDlg::CCodecDlg(CWnd* pParent)
    : CDialog(IDD_CODEC_DIALOG, pParent),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_queue(morvane::SystemPlatform()) {}

CCodecDlg::~CCodecDlg() {
    // The window goes first, while this class still handles its messages:
    // its destruction detaches the job and takes the menu bar with it.
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    m_session.Detach();
    // The controls that used them have gone with the window.
    for (HICON icon : {m_hBrowseSourceIcon, m_hBrowseFolderIcon}) {
        if (icon != nullptr) ::DestroyIcon(icon);
    }
}

void CCodecDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnAction);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_SOURCE_PATH, m_strSourcePath);
    DDX_Text(pDX, IDC_TARGET_FOLDER, m_strTargetFolder);
}

BEGIN_MESSAGE_MAP(CCodecDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_CLOSE, OnCloseMessage)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BROWSE_SOURCE, OnBrowseSource)
    ON_BN_CLICKED(IDC_BROWSE_FOLDER, OnBrowseFolder)
    ON_COMMAND(ID_HELP_ABOUT, OnHelpAbout)
    ON_COMMAND(ID_FILE_EXIT, OnFileExit)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditSelection)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditSelection)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_WM_KILLFOCUS()
    ON_EN_KILLFOCUS(IDC_SOURCE_PATH, OnKillFocusPathEdit)
    ON_EN_SETFOCUS(IDC_SOURCE_PATH, OnSetFocusSourcePath)
    ON_EN_KILLFOCUS(IDC_TARGET_FOLDER, OnKillFocusPathEdit)
    ON_EN_SETFOCUS(IDC_TARGET_FOLDER, OnSetFocusTargetFolder)
    ON_COMMAND(ID_EDIT_DELETE, OnEditDelete)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE, OnUpdateEditSelection)
    ON_COMMAND(ID_EDIT_SELECTALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECTALL, OnUpdateEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_FILE_ENCODE, OnUpdateNotBusy)
    ON_UPDATE_COMMAND_UI(ID_FILE_DECODE, OnUpdateNotBusy)
    ON_UPDATE_COMMAND_UI(ID_FILE_EXIT, OnUpdateNotBusy)
    ON_COMMAND(ID_FILE_SHOW_IN_FOLDER, OnShowInFolder)
    ON_UPDATE_COMMAND_UI(ID_FILE_SHOW_IN_FOLDER, OnUpdateShowInFolder)
    ON_WM_INITMENUPOPUP()
    ON_COMMAND_RANGE(ID_FILE_ENCODE, ID_FILE_DECODE, SetMode)
    ON_WM_DESTROY()
    ON_WM_ENDSESSION()
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_JOB_HOST_CALL, OnJobHostCall)
    ON_MESSAGE(WM_COPYDATA, OnCopyData)
    ON_MESSAGE(WM_APPLY_STARTS, OnApplyStarts)
    ON_CONTROL(EN_CHANGE, IDC_SOURCE_PATH, OnChangeSourcePath)
    ON_MESSAGE(WM_TIMER, OnJobTimer)
    ON_MESSAGE(WM_SIZE, OnSizeMessage)
    ON_MESSAGE(WM_NOTIFY, OnNotifyMessage)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
    ON_MESSAGE(WM_GETDPISCALEDSIZE, OnGetDpiScaledSize)
END_MESSAGE_MAP()

BOOL CCodecDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (const HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        const std::string about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.empty()) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, morvane::WidenUtf8(about).c_str());
        }
    }
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_pFocusEdit = nullptr;
    // What a change of DPI scales: the template's controls, not the line.
    m_dpiScaler.Capture(m_hWnd);
    // Below the template's controls; the window grows by its height.
    m_resultLine.Create(m_hWnd, IDC_RESULT_LINE, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));

    if (!m_menu.LoadMenu(IDR_MAINFRAME) || !::SetMenu(m_hWnd, m_menu.m_hMenu)) {
        AfxMessageBox(m_hWnd, "Unable to open the Application.");
        return FALSE;
    }
    ::CheckMenuRadioItem(m_menu.m_hMenu, ID_FILE_ENCODE, ID_FILE_DECODE, ID_FILE_ENCODE, MF_BYCOMMAND);
    AddShowInFolderItem();
    SetButtonIcons();
    ::DragAcceptFiles(m_hWnd, TRUE);
    if (m_pInstance != nullptr) m_pInstance->PublishWindow(m_hWnd);
    PostPendingStarts();
    return TRUE;
}

void CCodecDlg::SetButtonIcons() {
    SetButtonIcon(IDC_BROWSE_SOURCE, IDI_BROWSE_SOURCE, m_hBrowseSourceIcon);
    SetButtonIcon(IDC_BROWSE_FOLDER, IDI_BROWSE_FOLDER, m_hBrowseFolderIcon);
}

// The icons hold images of 16, 20, 24 and 32 pixels: 96, 120, 144 and 192
// DPI find theirs, any other the nearest, scaled.
void CCodecDlg::SetButtonIcon(int nIDButton, UINT nIDIcon, HICON& owned) {
    const HWND button = GetDlgItem(nIDButton);
    if (button == nullptr) return;
    const int size = m_dpiScaler.Scaled96(kButtonIconSize);
    // Not shared: a shared image keeps the first size it was loaded at.
    const auto icon = static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDIcon), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon == nullptr) return;
    ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    if (owned != nullptr) ::DestroyIcon(owned);
    owned = icon;
}

// The dialog scales in proportion (OnDpiChanged), so the system's
// suggestion, its size in proportion, is the one to take: not the dialog
// manager's, which would lay the template out anew and lose the result line.
LRESULT CCodecDlg::OnGetDpiScaledSize(WPARAM, LPARAM) {
    return FALSE;
}

LRESULT CCodecDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    if (m_dpiScaler.Rescale(HIWORD(wParam))) {
        if (const HFONT font = m_dpiScaler.Font()) m_resultLine.SetFont(font);
        SetButtonIcons();
    }
    CDpiScaler::MoveToSuggested(m_hWnd, reinterpret_cast<const RECT*>(lParam));
    return 0;
}

void CCodecDlg::AddShowInFolderItem() {
    const HMENU file = ::GetSubMenu(m_menu.m_hMenu, 0);
    if (file == nullptr) return;
    for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
        if (::GetMenuItemID(file, i) != ID_FILE_EXIT) continue;
        ::InsertMenuW(file, i, MF_BYPOSITION | MF_STRING, ID_FILE_SHOW_IN_FOLDER,
                      morvane::WidenUtf8(LoadResourceString(IDS_SHOW_IN_FOLDER)).c_str());
        ::InsertMenuW(file, i + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        return;
    }
}

void CCodecDlg::SetMode(UINT nID) {
    ::CheckMenuRadioItem(m_menu.m_hMenu, ID_FILE_ENCODE, ID_FILE_DECODE, nID, MF_BYCOMMAND);
    m_bEncodeMode = nID == ID_FILE_ENCODE;
    static constexpr UINT kEncodeTexts[] = {IDS_SOURCE_LABEL_ENCODE, IDS_FOLDER_LABEL_ENCODE, IDS_PROGRESS_LABEL_ENCODE,
                                            IDS_ACTION_ENCODE};
    static constexpr UINT kDecodeTexts[] = {IDS_SOURCE_LABEL_DECODE, IDS_FOLDER_LABEL_DECODE, IDS_PROGRESS_LABEL_DECODE,
                                            IDS_ACTION_DECODE};
    static constexpr int kLabelled[] = {IDC_SOURCE_LABEL, IDC_FOLDER_LABEL, IDC_PROGRESS_LABEL, IDOK};
    const UINT* texts = m_bEncodeMode ? kEncodeTexts : kDecodeTexts;
    for (int i = 0; i < 4; ++i) {
        if (const HWND control = GetDlgItem(kLabelled[i])) SetWindowTextString(control, LoadResourceString(texts[i]));
    }
    ForgetWaitingQueue();
    m_strSourcePath.clear();
    m_strTargetFolder.clear();
    UpdateData(false);
    m_progress.SetPos(0);
    m_strResultPath.clear();
    m_queueSelection = {};
    m_report.Clear();
    ShowReport();
}

LRESULT CCodecDlg::OnSizeMessage(WPARAM, LPARAM) {
    m_resultLine.Layout();
    Default();
    return 0;
}

// A double click on the result line shows its output, as the menu item does.
LRESULT CCodecDlg::OnNotifyMessage(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->idFrom == IDC_RESULT_LINE && header->code == static_cast<UINT>(NM_DBLCLK))
        OnShowInFolder();
    else
        Default();
    return 0;
}

void CCodecDlg::OnShowInFolder() {
    if (m_session.Busy() || m_strResultPath.empty()) return;
    const bool several = m_queueSelection.outputs.size() > 1;
    const std::vector<std::string> paths = several ? m_queueSelection.outputs : std::vector{m_strResultPath};
    if (m_showInFolder)
        m_showInFolder(paths);
    else if (several)
        ShowFilesInFolder(m_queueSelection.folder, paths);
    else
        ShowFileInFolder(m_strResultPath);
}

void CCodecDlg::OnUpdateShowInFolder(CCmdUI* pCmdUI) {
    if (pCmdUI != nullptr) pCmdUI->Enable(!m_session.Busy() && !m_strResultPath.empty());
}

void CCodecDlg::ShowAboutBox() {
    CAboutDlg about(this);
    about.DoModal();
    PostPendingStarts();
}

void CCodecDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        ShowAboutBox();
    else if ((nID & 0xFFF0) != SC_CLOSE || !ClosingRefused())
        Default();
}

void CCodecDlg::OnHelpAbout() {
    ShowAboutBox();
}

void CCodecDlg::OnFileExit() {
    ::PostQuitMessage(18);
}

// Minimised, the dialog draws its icon centred in the client area itself.
void CCodecDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - cxIcon + 1) / 2;
    const int y = (client.bottom - client.top - cyIcon + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CCodecDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

bool CCodecDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= kLastKeyMessage && m_hAccel != nullptr &&
        ::TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg))
        return true;
    return CDialog::PreTranslateMessage(pMsg);
}
