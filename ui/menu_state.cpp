// The menu bar's item states, computed afresh each time a popup opens.
#include "codec_dlg.h"

#include "win/menu_update.h"

// Encode, Decode and Exit wait while a job runs.
void CCodecDlg::OnUpdateNotBusy(CCmdUI* pCmdUI) {
    if (pCmdUI != nullptr) pCmdUI->Enable(m_bBusy == 0);
}

void CCodecDlg::OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu) {
    UpdateMenuPopup(*this, hPopup, bSysMenu, m_bAutoDisableItems);
}
