// Message maps: a class lists the messages and commands it handles between
// BEGIN_MESSAGE_MAP and END_MESSAGE_MAP. The list expands to the class's
// ProcessMessage: one `if` per entry, tried in order, then the base class's
// map. The comment above each entry macro gives the handler's signature.
#pragma once

#include "wnd.h"

class CCmdUI;

// In the class body: declares the map's function.
#define DECLARE_MESSAGE_MAP() \
protected:                    \
    bool ProcessMessage(CMessage& m) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)   \
    bool theClass::ProcessMessage(CMessage& m) { \
        using BaseClass = baseClass;

#define END_MESSAGE_MAP()                \
    return BaseClass::ProcessMessage(m); \
    }

// True when `m` is one of the commands first..last (menu item, accelerator
// or button click), or asks whether one of them has a handler.
inline bool IsCommandInRange(const CMessage& m, UINT first, UINT last) {
    UINT id = 0;
    if (m.message == WM_COMMAND) {
        const UINT code = HIWORD(m.wParam);
        if (!(code == 0 || (code == 1 && m.lParam == 0))) return false;
        id = LOWORD(m.wParam);
    } else if (m.message == kMsgQueryCommand) {
        id = static_cast<UINT>(m.wParam);
    } else {
        return false;
    }
    return first <= id && id <= last;
}

// void handler()
#define ON_COMMAND(id, handler)                 \
    if (IsCommandInRange(m, (id), (id))) {      \
        if (m.message == WM_COMMAND) handler(); \
        return true;                            \
    }

// void handler(UINT nID)
#define ON_COMMAND_RANGE(first, last, handler)                  \
    if (IsCommandInRange(m, (first), (last))) {                 \
        if (m.message == WM_COMMAND) handler(LOWORD(m.wParam)); \
        return true;                                            \
    }

// void handler(CCmdUI* pCmdUI): decides the state of the command's menu item
#define ON_UPDATE_COMMAND_UI(id, handler)                       \
    if (m.message == kMsgUpdateCommandUI && m.wParam == (id)) { \
        handler(reinterpret_cast<CCmdUI*>(m.lParam));           \
        return true;                                            \
    }

// True when `m` asks for the state of one of the commands first..last.
inline bool IsUpdateInRange(const CMessage& m, UINT first, UINT last) {
    return m.message == kMsgUpdateCommandUI && first <= m.wParam && m.wParam <= last;
}

// void handler(CCmdUI* pCmdUI), for each command first..last
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, handler) \
    if (IsUpdateInRange(m, (first), (last))) {           \
        handler(reinterpret_cast<CCmdUI*>(m.lParam));    \
        return true;                                     \
    }

// void handler(): notification `code` from the control `id`
#define ON_CONTROL(code, id, handler)                                                                         \
    if (m.message == WM_COMMAND && m.lParam != 0 && HIWORD(m.wParam) == (code) && LOWORD(m.wParam) == (id)) { \
        handler();                                                                                            \
        return true;                                                                                          \
    }
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_EN_SETFOCUS(id, handler) ON_CONTROL(EN_SETFOCUS, id, handler)
#define ON_EN_KILLFOCUS(id, handler) ON_CONTROL(EN_KILLFOCUS, id, handler)

// LRESULT handler(WPARAM wParam, LPARAM lParam)
#define ON_MESSAGE(msg, handler)                \
    if (m.message == (msg)) {                   \
        m.result = handler(m.wParam, m.lParam); \
        return true;                            \
    }

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                   \
    if (m.message == WM_SYSCOMMAND) {                        \
        OnSysCommand(static_cast<UINT>(m.wParam), m.lParam); \
        return true;                                         \
    }

// void OnPaint()
#define ON_WM_PAINT()            \
    if (m.message == WM_PAINT) { \
        OnPaint();               \
        return true;             \
    }

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                    \
    if (m.message == WM_QUERYDRAGICON) {                         \
        m.result = reinterpret_cast<LRESULT>(OnQueryDragIcon()); \
        return true;                                             \
    }

// void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu): a popup
// of the window's menus is about to open; bSysMenu for the window menu
#define ON_WM_INITMENUPOPUP()                                                                   \
    if (m.message == WM_INITMENUPOPUP) {                                                        \
        OnInitMenuPopup(reinterpret_cast<HMENU>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam)); \
        return true;                                                                            \
    }

// void OnKillFocus(HWND hNewWnd)
#define ON_WM_KILLFOCUS()                              \
    if (m.message == WM_KILLFOCUS) {                   \
        OnKillFocus(reinterpret_cast<HWND>(m.wParam)); \
        return true;                                   \
    }

// void OnDestroy()
#define ON_WM_DESTROY()            \
    if (m.message == WM_DESTROY) { \
        OnDestroy();               \
        return true;               \
    }

// void OnEndSession(BOOL bEnding): the session ends (bEnding) or goes on
// after all; once this returns with bEnding the process may be ended at once
#define ON_WM_ENDSESSION()                         \
    if (m.message == WM_ENDSESSION) {              \
        OnEndSession(static_cast<BOOL>(m.wParam)); \
        return true;                               \
    }

// void OnDropFiles(HDROP hDropInfo): files dropped on a window that accepts
// them; the handler ends the drop (DragFinish)
#define ON_WM_DROPFILES()                               \
    if (m.message == WM_DROPFILES) {                    \
        OnDropFiles(reinterpret_cast<HDROP>(m.wParam)); \
        return true;                                    \
    }
