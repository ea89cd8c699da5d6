#include "wnd.h"

#include "app.h"

bool CWnd::ProcessMessage(CMessage&) {
    return false;
}

std::string GetWindowTextString(HWND hWnd) {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

CMenu::~CMenu() {
    // A window destroys its menu bar with itself; then the handle is dead.
    if (m_hMenu != nullptr && ::IsMenu(m_hMenu)) ::DestroyMenu(m_hMenu);
}

bool CMenu::LoadMenu(UINT nID) {
    m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nID));
    return m_hMenu != nullptr;
}
