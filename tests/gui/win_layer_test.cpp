// The message map and the command-state object of the Win32 layer: routing
// of commands, command ranges and update requests, and the state an update
// gives a menu item.
#include <gtest/gtest.h>

#include "win/cmd_ui.h"
#include "win/message_map.h"

namespace {

class CTarget : public CWnd {
public:
    std::vector<UINT> commands;

protected:
    void OnOne() { commands.push_back(1); }
    void OnRange(UINT id) { commands.push_back(id); }
    void OnUpdateTwo(CCmdUI* pCmdUI) { pCmdUI->Enable(enableTwo); }
    void OnUpdateSilent(CCmdUI*) {}

public:
    BOOL enableTwo = FALSE;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTarget, CWnd)
    ON_COMMAND(1, OnOne)
    ON_UPDATE_COMMAND_UI(2, OnUpdateTwo)
    ON_UPDATE_COMMAND_UI(5, OnUpdateSilent)
    ON_COMMAND_RANGE(10, 12, OnRange)
END_MESSAGE_MAP()

TEST(MessageMapTest, CommandsReachTheirHandlers) {
    CTarget target;
    CWnd& wnd = target;
    const struct {
        WPARAM wParam;
        LPARAM lParam;
        bool handled;
    } cases[] = {
        {MAKEWPARAM(1, 0), 0, true},                  // menu item
        {MAKEWPARAM(11, 1), 0, true},                 // accelerator, in the range
        {MAKEWPARAM(12, BN_CLICKED), 0x1234, true},   // button click
        {MAKEWPARAM(10, EN_SETFOCUS), 0x1234, false}, // a notification is no command
        {MAKEWPARAM(13, 0), 0, false},                // outside the range
    };
    for (const auto& c : cases) {
        CMessage m{WM_COMMAND, c.wParam, c.lParam};
        EXPECT_EQ(wnd.ProcessMessage(m), c.handled) << LOWORD(c.wParam);
    }
    EXPECT_EQ(target.commands, (std::vector<UINT>{1, 11, 12}));
}

TEST(CmdUITest, UpdateSetsTheItemStateAndFallsBackToTheCommandHandler) {
    CTarget target;
    const HMENU menu = ::CreatePopupMenu();
    struct Case {
        UINT id;
        BOOL disableIfNoHandler;
        bool grayed;
    };
    const Case cases[] = {
        {2, TRUE, true},    // the update handler greys it
        {1, TRUE, false},   // no update handler, a command handler
        {3, TRUE, true},    // neither
        {3, FALSE, false},  // neither, but not greyed for it
        {5, TRUE, true},    // an update handler that sets nothing
        {11, TRUE, false},  // a command range
    };
    for (UINT i = 0; i < std::size(cases); ++i) ::AppendMenuA(menu, MF_STRING, cases[i].id, "item");
    for (UINT i = 0; i < std::size(cases); ++i) {
        CCmdUI state;
        state.m_hMenu = menu;
        state.m_nIndex = i;
        state.m_nID = cases[i].id;
        state.DoUpdate(target, cases[i].disableIfNoHandler);
        EXPECT_EQ((::GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0, cases[i].grayed) << i;
    }
    target.enableTwo = TRUE;
    CCmdUI state;
    state.m_hMenu = menu;
    state.m_nID = 2;
    state.DoUpdate(target, TRUE);
    EXPECT_EQ(::GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    ::DestroyMenu(menu);
}

}  // namespace
