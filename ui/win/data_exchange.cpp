#include "data_exchange.h"

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    const HWND control = pDX->Control(nIDC);
    if (control == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        value = GetWindowTextString(control);
    else
        SetWindowTextString(control, value);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control) {
    if (control.m_hWnd == nullptr) control.m_hWnd = pDX->Control(nIDC);
}
