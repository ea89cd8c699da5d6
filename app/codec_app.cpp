#include "codec_app.h"

#include "codec_dlg.h"

// The one application object; its name is the executable's.
CCodecApp theApp;

CCodecApp::CCodecApp() : CWinApp(nullptr) {}

BOOL CCodecApp::InitInstance() {
    Enable3dControls();
    CCodecDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
