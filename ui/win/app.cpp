#include "app.h"

#include <objbase.h>

namespace {

CWinApp* g_pApp = nullptr;

std::string ExecutableName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string name = morvane::NarrowToUtf8(path);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* pszAppName) : m_strAppName(pszAppName ? pszAppName : ExecutableName()) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return FALSE;
}

int CWinApp::ExitInstance() {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return 0;
}

void CWinApp::RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

std::string AfxGetAppName() {
    return g_pApp ? g_pApp->m_strAppName : ExecutableName();
}

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    app->m_hInstance = hInstance;
    // Whatever InitInstance answers, no message loop follows it here.
    app->InitInstance();
    return app->ExitInstance();
}

int AfxMessageBox(HWND hOwner, const std::string& text, UINT nType) {
    // Without an icon of its own, a box gets the exclamation mark.
    if ((nType & MB_ICONMASK) == 0 && (nType & MB_TYPEMASK) == MB_OK) nType |= MB_ICONEXCLAMATION;
    return ::MessageBoxW(hOwner, morvane::WidenUtf8(text).c_str(), morvane::WidenUtf8(AfxGetAppName()).c_str(), nType);
}

void AfxEnsureComInitialized() {
    thread_local bool initialized = false;
    if (initialized) return;
    // S_FALSE: the thread was in such an apartment already, which is as good.
    initialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

std::string LoadResourceString(UINT nID) {
    // With no buffer, the system points at the resource's own text.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return {};
    return morvane::NarrowToUtf8({text, static_cast<std::size_t>(length)});
}
