// Thin wrappers over window, control and menu handles, and the message
// record a message map works on. Texts are UTF-8 here and wide (UTF-16) for
// the system: this layer calls the W functions throughout.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win_path.h"

// One message on its way through a message map.
struct CMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool useDefault = false;  // the system's processing follows the handler
};

// Requests of the command routing that never reach Windows.
inline constexpr UINT kMsgUpdateCommandUI = 0x10000;  // wParam: id, lParam: CCmdUI*
inline constexpr UINT kMsgQueryCommand = 0x10001;     // wParam: id; handled = has a handler

// A window this program talks to through its handle.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    // Offers a message to the message map; true when an entry took it.
    virtual bool ProcessMessage(CMessage& m);

    HWND m_hWnd = nullptr;
};

// The text of a window, in UTF-8.
std::string GetWindowTextString(HWND hWnd);
// Sets the text of a window from UTF-8.
void SetWindowTextString(HWND hWnd, const std::string& text);

// A push button; it needs no behaviour of its own.
class CButton : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int nLower, int nUpper) { ::SendMessageW(m_hWnd, PBM_SETRANGE32, nLower, nUpper); }
    void SetStep(int nStep) { ::SendMessageW(m_hWnd, PBM_SETSTEP, nStep, 0); }
    void SetPos(int nPos) { ::SendMessageW(m_hWnd, PBM_SETPOS, nPos, 0); }
};

// Owns a menu. A window destroys its menu bar when it is destroyed, so the
// window holding the menu must go first; a menu no window took is
// destroyed here.
class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu();

    // Loads a menu of the program's resources; false when there is none.
    bool LoadMenu(UINT nID);

    HMENU m_hMenu = nullptr;
};
