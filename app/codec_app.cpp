#include "codec_app.h"

#include <cstdlib>

#include "block_transform.h"
#include "codec_dlg.h"

// The one application object; its name is the executable's.
CCodecApp theApp;

CCodecApp::CCodecApp() : CWinApp(nullptr) {}

BOOL CCodecApp::InitInstance() {
    // MORVANE_KERNEL forces a transform kernel, as for the command-line tool.
    morvane::UseKernel(morvane::ChooseKernel(std::getenv("MORVANE_KERNEL")));
    Enable3dControls();
    CCodecDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
