#include "codec_app.h"

#include <cstdlib>

#include "block_transform.h"
#include "codec_dlg.h"
#include "running_mark.h"

// The one application object; its name is the executable's.
CCodecApp theApp;

CCodecApp::CCodecApp() : CWinApp(nullptr) {}

BOOL CCodecApp::InitInstance() {
    // MORVANE_KERNEL forces a transform kernel, as for the command-line tool.
    morvane::UseKernel(morvane::ChooseKernel(std::getenv("MORVANE_KERNEL")));
    RegisterCommonControls();
    // Held until the dialog has closed: the installer waits for that.
    const CRunningMark running;
    CCodecDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
