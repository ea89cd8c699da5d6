#include "cmd_ui.h"

void CCmdUI::Enable(BOOL bOn) {
    if (m_hMenu != nullptr)
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
    m_bEnableChanged = true;
}

void CCmdUI::DoUpdate(CWnd& target, BOOL bDisableIfNoHandler) {
    m_bEnableChanged = false;
    CMessage update{kMsgUpdateCommandUI, m_nID, reinterpret_cast<LPARAM>(this)};
    target.ProcessMessage(update);
    if (bDisableIfNoHandler && !m_bEnableChanged) {
        CMessage query{kMsgQueryCommand, m_nID, 0};
        Enable(target.ProcessMessage(query));
    }
}
