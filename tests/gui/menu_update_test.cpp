// The update pass over a popup, driven through a small dialog whose update
// handlers record each visit and may change the menu under the pass.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "resource.h"
#include "win/cmd_ui.h"
#include "win/dialog.h"
#include "win/menu_update.h"

namespace {

constexpr UINT kLastRecorded = 999;     // ids 0..999 reach the recording handler
constexpr UINT kUnhandled = 2000;       // no handler of any kind
constexpr UINT kCommandOnly = 2001;     // a command handler, no update handler
constexpr UINT kLastOrdinary = 0xEFFF;  // the last id below the system commands
constexpr UINT kSystem = 0xF000;

struct Visit {
    UINT id;
    UINT index;
    HMENU subMenu;
    HMENU parent;
    bool operator==(const Visit&) const = default;
};

void PrintTo(const Visit& visit, std::ostream* out) {
    *out << "{id " << visit.id << " at " << visit.index << (visit.subMenu ? ", nested" : "")
         << (visit.parent ? ", with parent" : "") << "}";
}

class CPassDlg : public CDialog {
public:
    CPassDlg() : CDialog(IDD_ABOUTBOX) {}

    void Open(HMENU hPopup, BOOL bSysMenu = FALSE) {
        ::SendMessageA(m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), MAKELPARAM(0, bSysMenu));
    }

    std::vector<Visit> visits;
    std::map<UINT, std::function<void(CCmdUI*)>> actions;  // run by the handler of the id
    BOOL autoDisable = FALSE;

protected:
    void OnUpdateRecorded(CCmdUI* pCmdUI) {
        visits.push_back({pCmdUI->m_nID, pCmdUI->m_nIndex, pCmdUI->m_hSubMenu, pCmdUI->m_hParentMenu});
        if (const auto action = actions.find(pCmdUI->m_nID); action != actions.end()) action->second(pCmdUI);
    }
    void OnCommandOnly() {}
    void OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu) { UpdateMenuPopup(*this, hPopup, bSysMenu, autoDisable); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPassDlg, CDialog)
    ON_UPDATE_COMMAND_UI_RANGE(0, kLastRecorded, OnUpdateRecorded)
    ON_COMMAND(kCommandOnly, OnCommandOnly)
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

// A popup of ordinary items; id 0 stands for a separator.
HMENU MakePopup(const std::vector<UINT>& ids) {
    const HMENU popup = ::CreatePopupMenu();
    for (const UINT id : ids) ::AppendMenuA(popup, id == 0 ? MF_SEPARATOR : MF_STRING, id, id == 0 ? nullptr : "item");
    return popup;
}

void AppendPopup(HMENU menu, HMENU popup) {
    ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "popup");
}

// Deletes `count` items from the front of the item's menu.
std::function<void(CCmdUI*)> DeleteFront(int count) {
    return [count](CCmdUI* pCmdUI) {
        for (int i = 0; i < count; ++i) ::DeleteMenu(pCmdUI->m_hMenu, 0, MF_BYPOSITION);
    };
}

class MenuUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override {
        ::SetMenu(dlg.m_hWnd, nullptr);
        if (bar != nullptr) ::DestroyMenu(bar);
    }

    // Puts `popup` on the dialog's menu bar; the bar then owns it.
    void AttachToBar(HMENU popup) {
        bar = ::CreateMenu();
        AppendPopup(bar, popup);
        ::SetMenu(dlg.m_hWnd, bar);
    }

    CPassDlg dlg;
    HMENU bar = nullptr;
};

TEST_F(MenuUpdateTest, HandlersThatChangeTheMenuSteerThePass) {
    const auto deleteOwn = [](CCmdUI* pCmdUI) { ::DeleteMenu(pCmdUI->m_hMenu, pCmdUI->m_nIndex, MF_BYPOSITION); };
    const auto append = [](UINT id) {
        return [id](CCmdUI* pCmdUI) { ::AppendMenuA(pCmdUI->m_hMenu, MF_STRING, id, "added"); };
    };
    struct Case {
        const char* name;
        std::vector<UINT> items;
        std::map<UINT, std::function<void(CCmdUI*)>> actions;
        std::vector<std::pair<UINT, UINT>> visited;  // id and position
    };
    const Case cases[] = {
        {"no changes", {1, 2, 3}, {}, {{1, 0}, {2, 1}, {3, 2}}},
        {"a handler deletes its own item", {1, 2, 3}, {{2, deleteOwn}}, {{1, 0}, {2, 1}, {3, 1}}},
        {"the first item deletes itself: the position wraps to the first item",
         {1, 2, 3}, {{1, deleteOwn}}, {{1, 0}, {2, 0}, {3, 1}}},
        {"items appended during the pass", {1, 2}, {{1, append(7)}, {7, append(8)}},
         {{1, 0}, {2, 1}, {7, 2}, {8, 3}}},
        {"as many vanish as stand at and before the position", {1, 2, 3, 4}, {{2, DeleteFront(2)}},
         {{1, 0}, {2, 1}, {3, 0}, {4, 1}}},
        {"more vanish than stand before the position: the pass ends", {1, 2, 3, 4}, {{2, DeleteFront(3)}},
         {{1, 0}, {2, 1}}},
        {"an earlier item deleted: the updated item now in place is stepped over, and the next with it",
         {1, 2, 3}, {{2, DeleteFront(1)}}, {{1, 0}, {2, 1}}},
        {"the popup destroyed: the pass ends", {1, 2, 3},
         {{1, [](CCmdUI* pCmdUI) { ::DestroyMenu(pCmdUI->m_hMenu); }}}, {{1, 0}}},
    };
    for (const Case& c : cases) {
        const HMENU popup = MakePopup(c.items);
        dlg.visits.clear();
        dlg.actions = c.actions;
        dlg.Open(popup);
        std::vector<std::pair<UINT, UINT>> visited;
        for (const Visit& visit : dlg.visits) visited.emplace_back(visit.id, visit.index);
        EXPECT_EQ(visited, c.visited) << c.name;
        ::DestroyMenu(popup);
    }
}

TEST_F(MenuUpdateTest, SeparatorsNeverReachAHandler) {
    const HMENU popup = MakePopup({0, 1, 0, 0, 2, 0});
    AttachToBar(popup);
    dlg.Open(popup);
    const std::vector<Visit> expected = {{1, 1, nullptr, bar}, {2, 4, nullptr, bar}};
    EXPECT_EQ(dlg.visits, expected);
}

TEST_F(MenuUpdateTest, NestedPopupIsUpdatedThroughItsFirstItem) {
    const HMENU popup = MakePopup({1});
    const HMENU nested = MakePopup({50, 51});
    AppendPopup(popup, nested);
    AppendPopup(popup, MakePopup({0, 52}));  // first item a separator
    AppendPopup(popup, MakePopup({}));       // empty
    const HMENU deeper = ::CreatePopupMenu();
    AppendPopup(deeper, MakePopup({53}));
    AppendPopup(popup, deeper);  // first item opens a popup itself
    ::AppendMenuA(popup, MF_STRING, 3, "item");
    AttachToBar(popup);

    dlg.Open(popup);
    const std::vector<Visit> expected = {{1, 0, nullptr, bar}, {50, 1, nested, bar}, {3, 5, nullptr, bar}};
    EXPECT_EQ(dlg.visits, expected);
}

TEST_F(MenuUpdateTest, ParentIsTheMenuBarHoldingThePopup) {
    const HMENU onBar = MakePopup({1});
    AttachToBar(onBar);
    const HMENU loose = MakePopup({2});
    dlg.Open(onBar);
    dlg.Open(loose);
    const std::vector<Visit> expected = {{1, 0, nullptr, bar}, {2, 0, nullptr, nullptr}};
    EXPECT_EQ(dlg.visits, expected);
    ::DestroyMenu(loose);
}

TEST_F(MenuUpdateTest, WindowMenuAndMissingPopupGetNoPass) {
    const HMENU popup = MakePopup({1, 2});
    dlg.Open(popup, TRUE);
    dlg.Open(nullptr);
    EXPECT_TRUE(dlg.visits.empty());
    ::DestroyMenu(popup);
}

TEST_F(MenuUpdateTest, UnhandledItemsAreGreyedOnlyWhenSwitchedOn) {
    const UINT ids[] = {kUnhandled, kCommandOnly, kLastOrdinary, kSystem};
    struct Case {
        BOOL autoDisable;
        bool grayed[4];   // the items of `ids`, in order
        bool nestedGrayed;  // the entry whose popup starts with kUnhandled
    };
    const Case cases[] = {
        {TRUE, {true, false, true, false}, false},
        {FALSE, {false, false, false, false}, false},
    };
    for (const Case& c : cases) {
        const HMENU popup = MakePopup({std::begin(ids), std::end(ids)});
        AppendPopup(popup, MakePopup({kUnhandled}));
        dlg.autoDisable = c.autoDisable;
        dlg.Open(popup);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ((::GetMenuState(popup, i, MF_BYPOSITION) & MF_GRAYED) != 0, c.grayed[i])
                << "switch " << c.autoDisable << ", id " << ids[i];
        EXPECT_EQ((::GetMenuState(popup, 4, MF_BYPOSITION) & MF_GRAYED) != 0, c.nestedGrayed);
        ::DestroyMenu(popup);
    }
}

}  // namespace
