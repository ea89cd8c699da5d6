// The update pass a window runs when one of its popups is about to open:
// every item of the popup gets its update handler, in order, through the
// window's message map.
#pragma once

#include "wnd.h"

// Runs the pass over hPopup for `target`. The window menu (bSysMenu) and a
// missing popup get none. With bAutoDisable, an ordinary item below 0xF000
// that no update handler sets is greyed unless `target` can carry it out.
// An entry that opens a nested popup is updated under the id of the nested
// popup's first item. Handlers may add or delete items of hPopup meanwhile.
void UpdateMenuPopup(CWnd& target, HMENU hPopup, BOOL bSysMenu, BOOL bAutoDisable);
