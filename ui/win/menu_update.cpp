#include "menu_update.h"

#include "cmd_ui.h"

namespace {

// What GetMenuItemID answers for an entry that opens a popup.
constexpr UINT kPopupEntryID = 0xFFFFFFFF;
// System commands start here; they are never greyed for want of a handler.
constexpr UINT kFirstSystemCommand = 0xF000;

// A menu that a handler destroyed counts as empty, which ends the pass.
UINT ItemCount(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    return count > 0 ? static_cast<UINT>(count) : 0;
}

// The menu holding hPopup: the menu bar of the target's top-level window
// when hPopup is one of its popups. This layer shows no context menus.
HMENU FindParentMenu(const CWnd& target, HMENU hPopup) {
    if (::GetMenu(target.m_hWnd) == nullptr) return nullptr;
    const HMENU bar = ::GetMenu(::GetAncestor(target.m_hWnd, GA_ROOT));
    const UINT count = ItemCount(bar);
    for (UINT position = 0; position < count; ++position) {
        if (::GetSubMenu(bar, static_cast<int>(position)) == hPopup) return bar;
    }
    return nullptr;
}

}  // namespace

void UpdateMenuPopup(CWnd& target, HMENU hPopup, BOOL bSysMenu, BOOL bAutoDisable) {
    if (bSysMenu || hPopup == nullptr) return;

    CCmdUI state;
    state.m_hMenu = hPopup;
    state.m_hParentMenu = FindParentMenu(target, hPopup);
    state.m_nIndexMax = ItemCount(hPopup);
    // Positions and counts are unsigned: a position may wrap below 0 and
    // come back to 0 with the step to the next item.
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = ::GetMenuItemID(hPopup, static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0) continue;  // a separator

        if (state.m_nID == kPopupEntryID) {
            const HMENU nested = ::GetSubMenu(hPopup, static_cast<int>(state.m_nIndex));
            if (nested == nullptr) continue;
            state.m_nID = ::GetMenuItemID(nested, 0);
            if (state.m_nID == 0 || state.m_nID == kPopupEntryID) continue;
            state.m_hSubMenu = nested;
            state.DoUpdate(target, FALSE);
        } else {
            state.m_hSubMenu = nullptr;
            state.DoUpdate(target, bAutoDisable && state.m_nID < kFirstSystemCommand);
        }

        // The handler may have deleted items: step back by as many, then
        // past the item just updated should it stand there now.
        const UINT count = ItemCount(hPopup);
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= state.m_nIndexMax - count;
            while (state.m_nIndex < count && ::GetMenuItemID(hPopup, static_cast<int>(state.m_nIndex)) == state.m_nID)
                ++state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}
