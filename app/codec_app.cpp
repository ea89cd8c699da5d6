#include "codec_app.h"

#include <cstdlib>

#include "block_transform.h"
#include "codec_dlg.h"
#include "command_line.h"
#include "instance_hand_over.h"
#include "program_arguments.h"
#include "running_mark.h"

// The one application object; its name is the executable's.
CCodecApp theApp;

CCodecApp::CCodecApp() : CWinApp(nullptr) {}

BOOL CCodecApp::InitInstance() {
    // MORVANE_KERNEL forces a transform kernel, as for the command-line tool.
    morvane::UseKernel(morvane::ChooseKernel(std::getenv("MORVANE_KERNEL")));
    RegisterCommonControls();
    // Every path full: the window they may be handed to has a current
    // folder of its own.
    std::vector<std::string> arguments = ProgramArguments();
    if (!arguments.empty()) arguments = morvane::ui::WithFullPaths(arguments, PathKindOnDisk, FullPathOnDisk);
    // /? answers with the usage and ends, as a program asked only that.
    if (!arguments.empty() && morvane::ui::ParseStartArguments(arguments, PathKindOnDisk).usage) {
        AfxMessageBox(nullptr, morvane::ui::UsageText(), MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    // Held until the dialog has closed: the installer waits for that.
    const CRunningMark running;
    CInstanceHandOver instance;
    // Files for a window already open go there, and this start ends.
    if (!arguments.empty() && !instance.IsFirst() && instance.HandOver(arguments)) return FALSE;
    CCodecDlg dlg;
    dlg.SetStart(std::move(arguments), &instance);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
