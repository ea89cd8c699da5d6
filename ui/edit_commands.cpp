// The menu bar's item states, computed afresh each time a popup opens; the
// Edit menu: which path field has the focus, the six commands sent to it as
// the edit control's own requests, and their update handlers.
#include "codec_dlg.h"

#include "resource.h"
#include "win/menu_update.h"

namespace {

bool CanUndo(HWND edit) {
    return ::SendMessageW(edit, EM_CANUNDO, 0, 0) != 0;
}

bool HasSelection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

bool ClipboardHasText(HWND) {
    return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
}

// For a single-line field, the length of the whole text.
bool HasText(HWND edit) {
    return ::SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(-1), 0) != 0;
}

}  // namespace

// The dialog's own loss of the focus changes nothing here.
void CCodecDlg::OnKillFocus(HWND) {
    Default();
}

void CCodecDlg::OnSetFocusSourcePath() {
    m_wndSourcePath.m_hWnd = GetDlgItem(IDC_SOURCE_PATH);
    m_pFocusEdit = &m_wndSourcePath;
}

void CCodecDlg::OnSetFocusTargetFolder() {
    m_wndTargetFolder.m_hWnd = GetDlgItem(IDC_TARGET_FOLDER);
    m_pFocusEdit = &m_wndTargetFolder;
}

// Passing from one field to the other, the loss arrives before the gain.
void CCodecDlg::OnKillFocusPathEdit() {
    m_pFocusEdit = nullptr;
}

HWND CCodecDlg::FocusedEdit() const {
    if (m_pFocusEdit == nullptr || !::IsWindow(m_pFocusEdit->m_hWnd)) return nullptr;
    return m_pFocusEdit->m_hWnd;
}

// Greyed items cannot be chosen, so the commands need no test of the job's phase.
void CCodecDlg::SendToFocusedEdit(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const HWND edit = FocusedEdit()) ::SendMessageW(edit, message, wParam, lParam);
}

void CCodecDlg::OnEditUndo() {
    SendToFocusedEdit(EM_UNDO);
}

void CCodecDlg::OnEditCut() {
    SendToFocusedEdit(WM_CUT);
}

void CCodecDlg::OnEditCopy() {
    SendToFocusedEdit(WM_COPY);
}

void CCodecDlg::OnEditPaste() {
    SendToFocusedEdit(WM_PASTE);
}

void CCodecDlg::OnEditDelete() {
    SendToFocusedEdit(WM_CLEAR);
}

void CCodecDlg::OnEditSelectAll() {
    const HWND edit = FocusedEdit();
    if (edit == nullptr) return;
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Enabled exactly when no job runs, a path field has the focus and
// `condition` holds for it.
void CCodecDlg::UpdateEditItem(CCmdUI* pCmdUI, bool (*condition)(HWND edit)) {
    if (pCmdUI == nullptr) return;
    const HWND edit = m_session.Busy() ? nullptr : FocusedEdit();
    pCmdUI->Enable(edit != nullptr && condition(edit));
}

void CCodecDlg::OnUpdateEditUndo(CCmdUI* pCmdUI) {
    UpdateEditItem(pCmdUI, CanUndo);
}

void CCodecDlg::OnUpdateEditSelection(CCmdUI* pCmdUI) {
    UpdateEditItem(pCmdUI, HasSelection);
}

void CCodecDlg::OnUpdateEditPaste(CCmdUI* pCmdUI) {
    UpdateEditItem(pCmdUI, ClipboardHasText);
}

void CCodecDlg::OnUpdateEditSelectAll(CCmdUI* pCmdUI) {
    UpdateEditItem(pCmdUI, HasText);
}

// Encode, Decode and Exit wait while a job runs.
void CCodecDlg::OnUpdateNotBusy(CCmdUI* pCmdUI) {
    if (pCmdUI != nullptr) pCmdUI->Enable(!m_session.Busy());
}

void CCodecDlg::OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu) {
    UpdateMenuPopup(*this, hPopup, bSysMenu, m_bAutoDisableItems);
}
