// The command-state object: an update request reaches the item's update
// handler through the message map; without one, the item may follow
// whether a command handler exists.
#include <gtest/gtest.h>

#include "win/cmd_ui.h"
#include "win/message_map.h"

namespace {

class CTarget : public CWnd {
    void OnOne() {}
    void OnRange(UINT) {}
    void OnUpdateTwo(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnUpdateSilent(CCmdUI*) {}

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTarget, CWnd)
    ON_COMMAND(1, OnOne)
    ON_UPDATE_COMMAND_UI(2, OnUpdateTwo)
    ON_UPDATE_COMMAND_UI(5, OnUpdateSilent)
    ON_COMMAND_RANGE(10, 12, OnRange)
END_MESSAGE_MAP()

TEST(CmdUITest, UpdateSetsTheItemOrFallsBackToTheCommandHandler) {
    const struct {
        UINT id;
        BOOL disableIfNoHandler;
        bool grayed;
    } cases[] = {
        {2, FALSE, true},   // the update handler greys it
        {1, TRUE, false},   // no update handler, a command handler
        {3, TRUE, true},    // neither
        {3, FALSE, false},  // neither, and not greyed for it
        {5, TRUE, true},    // an update handler that sets nothing
        {11, TRUE, false},  // a command range
    };
    CTarget target;
    const HMENU menu = ::CreatePopupMenu();
    for (UINT i = 0; i < std::size(cases); ++i) {
        ::AppendMenuA(menu, MF_STRING, cases[i].id, "item");
        CCmdUI state;
        state.m_hMenu = menu;
        state.m_nIndex = i;
        state.m_nID = cases[i].id;
        state.DoUpdate(target, cases[i].disableIfNoHandler);
        EXPECT_EQ((::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0, cases[i].grayed) << i;
    }
    ::DestroyMenu(menu);
}

}  // namespace
