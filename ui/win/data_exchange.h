// Data exchange between a dialog's controls and its members, in the
// direction the exchange is made for.
#pragma once

#include <string>

#include "wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd& dialog, bool bSaveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(bSaveAndValidate) {}

    HWND Control(int nIDC) const { return m_dialog.GetDlgItem(nIDC); }

    CWnd& m_dialog;
    // true: controls to members; false: members to controls.
    const bool m_bSaveAndValidate;
};

// The text of control nIDC and a string member; a missing control is skipped.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);

// Binds a control wrapper to control nIDC the first time the exchange runs.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control);
