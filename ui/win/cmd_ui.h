// The state of one menu item while its popup opens: update handlers get
// this object and decide whether the item is enabled.
#pragma once

#include "wnd.h"

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    // Enables the item at m_nIndex of m_hMenu, or disables and greys it,
    // and records that the item's state was set.
    virtual void Enable(BOOL bOn = TRUE);

    // Routes the update request for m_nID through the target's message map.
    // When nothing set the state and bDisableIfNoHandler is on, the item is
    // enabled exactly when the target has a command handler for m_nID.
    void DoUpdate(CWnd& target, BOOL bDisableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;           // the menu's item count as last seen
    HMENU m_hMenu = nullptr;        // the menu being updated
    HMENU m_hSubMenu = nullptr;     // the popup the item opens, if it opens one
    HMENU m_hParentMenu = nullptr;  // the menu that holds m_hMenu, if known
    bool m_bEnableChanged = false;
};
