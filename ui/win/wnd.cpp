#include "wnd.h"

#include "app.h"

bool CWnd::ProcessMessage(CMessage&) {
    return false;
}

std::string GetWindowTextString(HWND hWnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return morvane::NarrowToUtf8(text);
}

void SetWindowTextString(HWND hWnd, const std::string& text) {
    ::SetWindowTextW(hWnd, morvane::WidenUtf8(text).c_str());
}

CMenu::~CMenu() {
    // A window destroys its menu bar with itself; then the handle is dead.
    if (m_hMenu != nullptr && ::IsMenu(m_hMenu)) ::DestroyMenu(m_hMenu);
}

bool CMenu::LoadMenu(UINT nID) {
    m_hMenu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID));
    return m_hMenu != nullptr;
}
