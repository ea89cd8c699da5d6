// The application object and the program entry: the one CWinApp of the
// program runs its user interface in InitInstance, and the process ends
// with ExitInstance's code.
#pragma once

#include <string>

#include "wnd.h"

class CWinApp {
public:
    // A null name takes the executable's name.
    explicit CWinApp(const char* pszAppName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The start-up work. This layer runs no message loop after it, so the
    // program's whole life is inside it.
    virtual BOOL InitInstance();
    // The exit code: that of a pending quit request, else 0.
    virtual int ExitInstance();

    // Registers the common controls; the system draws them in 3-D itself.
    void RegisterCommonControls();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;
};

// The one application object, or null (as in the tests).
CWinApp* AfxGetApp();
// The application's name: message-box captions.
std::string AfxGetAppName();
// The module holding the dialogs, menu, strings and icons.
HINSTANCE AfxGetResourceHandle();
// Called by WinMain: InitInstance, then ExitInstance's code.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// A modal message box with the application's name as caption.
int AfxMessageBox(HWND hOwner, const std::string& text, UINT nType = MB_OK);
// Joins the calling thread to a single-threaded COM apartment, once per
// thread, as the shell's folder browser needs. The apartment lasts as long
// as the thread: the user-interface thread lives until the process ends.
void AfxEnsureComInitialized();

// A string of the string table; empty when there is none.
std::string LoadResourceString(UINT nID);
