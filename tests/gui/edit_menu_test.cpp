// The Edit menu of the main dialog: its commands act on the path field that
// has the focus, and each item's state is computed as its popup opens, from
// the busy flag, the focus, the field and the clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include "gui_support.h"
#include "resource.h"

namespace morvane::gui_test {
namespace {

constexpr int kFilePopup = 0;
constexpr int kEditPopup = 1;
constexpr int kHelpPopup = 2;

struct EditItem {
    UINT id;
    const char* name;
};
constexpr EditItem kEditItems[] = {{ID_EDIT_UNDO, "Undo"},     {ID_EDIT_CUT, "Cut"},
                                   {ID_EDIT_COPY, "Copy"},     {ID_EDIT_PASTE, "Paste"},
                                   {ID_EDIT_DELETE, "Delete"}, {ID_EDIT_SELECTALL, "SelectAll"}};
constexpr UINT kFileItems[] = {ID_FILE_ENCODE, ID_FILE_DECODE, ID_FILE_EXIT};

// Opening the clipboard fails while another window holds it: try again.
bool OpenClipboardFor(HWND owner) {
    for (int i = 0; i < 100; ++i) {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(10);
    }
    return false;
}

// Empties the clipboard and puts `text` on it, if any.
void SetClipboard(HWND owner, const std::optional<std::string>& text) {
    ASSERT_TRUE(OpenClipboardFor(owner));
    ::EmptyClipboard();
    if (text) {
        const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text->size() + 1);
        std::memcpy(::GlobalLock(memory), text->c_str(), text->size() + 1);
        ::GlobalUnlock(memory);
        ::SetClipboardData(CF_TEXT, memory);
    }
    ::CloseClipboard();
}

std::optional<std::string> ClipboardText(HWND owner) {
    if (!OpenClipboardFor(owner)) return std::nullopt;
    std::optional<std::string> text;
    if (const HANDLE memory = ::GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(::GlobalLock(memory));
        ::GlobalUnlock(memory);
    }
    ::CloseClipboard();
    return text;
}

std::pair<DWORD, DWORD> Selection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// The text, then the selection, as if typed: the change can be undone.
void Type(HWND edit, const std::string& text) {
    ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

class EditMenuTest : public DialogTest {
protected:
    HWND Item(int id) const { return ::GetDlgItem(Dlg(), id); }
    HMENU Bar() const { return ::GetMenu(Dlg()); }

    void Focus(int id) { ::SetFocus(Item(id)); }
    // A text with a selection in it; the field keeps nothing to undo.
    void Fill(int id, const std::string& text, int start, int end) {
        SetControlText(Dlg(), id, text);
        ::SendMessageA(Item(id), EM_SETSEL, start, end);
    }

    void OpenPopup(int position) {
        ::SendMessageA(Dlg(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(::GetSubMenu(Bar(), position)),
                       MAKELPARAM(position, FALSE));
    }
    bool Enabled(UINT id) const { return (::GetMenuState(Bar(), id, MF_BYCOMMAND) & MF_GRAYED) == 0; }

    // The names of the enabled Edit items once the popup has opened. Every
    // item must get its state from the pass: it is opened twice, over all
    // items enabled and over all greyed, with the same outcome.
    std::string EnabledEditItems() {
        std::string names[2];
        for (const UINT before : {MF_ENABLED, MF_GRAYED}) {
            for (const EditItem& item : kEditItems) ::EnableMenuItem(Bar(), item.id, MF_BYCOMMAND | before);
            OpenPopup(kEditPopup);
            std::string& enabled = names[before == MF_GRAYED];
            for (const EditItem& item : kEditItems) {
                if (!Enabled(item.id)) continue;
                if (!enabled.empty()) enabled += ' ';
                enabled += item.name;
            }
        }
        EXPECT_EQ(names[0], names[1]) << "an item kept the state it had before";
        return names[0];
    }

    // Encode, Decode and Exit, and About, once their popups have opened.
    std::vector<bool> FileAndHelpEnabled() {
        OpenPopup(kFilePopup);
        OpenPopup(kHelpPopup);
        std::vector<bool> enabled;
        for (const UINT id : kFileItems) enabled.push_back(Enabled(id));
        enabled.push_back(Enabled(ID_HELP_ABOUT));
        return enabled;
    }
};

constexpr int kPathFields[] = {IDC_SOURCE_PATH, IDC_TARGET_FOLDER};

TEST_F(EditMenuTest, ItemsFollowTheFocusedFieldAndTheClipboard) {
    struct Case {
        const char* name;
        std::function<void(HWND edit)> prepare;
        std::optional<std::string> clipboard;
        const char* enabled;
    };
    const Case cases[] = {
        {"empty field, text on the clipboard", [](HWND edit) { ::SetWindowTextA(edit, ""); }, "clip", "Paste"},
        {"empty field, empty clipboard", [](HWND edit) { ::SetWindowTextA(edit, ""); }, std::nullopt, ""},
        {"field emptied by a change that can be undone",
         [](HWND edit) {
             ::SetWindowTextA(edit, "a");
             ::SendMessageA(edit, EM_SETSEL, 0, -1);
             Type(edit, "");
         },
         "clip", "Undo Paste"},
        {"whole text selected",
         [](HWND edit) {
             ::SetWindowTextA(edit, "abc");
             ::SendMessageA(edit, EM_SETSEL, 0, -1);
         },
         std::nullopt, "Cut Copy Delete SelectAll"},
        {"one character selected",
         [](HWND edit) {
             ::SetWindowTextA(edit, "abc");
             ::SendMessageA(edit, EM_SETSEL, 1, 2);
         },
         "clip", "Cut Copy Paste Delete SelectAll"},
        {"a bare caret",
         [](HWND edit) {
             ::SetWindowTextA(edit, "abc");
             ::SendMessageA(edit, EM_SETSEL, 1, 1);
         },
         std::nullopt, "SelectAll"},
        {"a typed change",
         [](HWND edit) {
             ::SetWindowTextA(edit, "abc");
             ::SendMessageA(edit, EM_SETSEL, 3, 3);
             Type(edit, "d");
         },
         std::nullopt, "Undo SelectAll"},
    };
    for (const int field : kPathFields) {
        Focus(field);
        for (const Case& c : cases) {
            SetClipboard(Dlg(), c.clipboard);
            c.prepare(Item(field));
            EXPECT_EQ(EnabledEditItems(), c.enabled) << c.name << ", field " << field;
            EXPECT_EQ(FileAndHelpEnabled(), std::vector<bool>(4, true));
        }
    }
}

TEST_F(EditMenuTest, FocusOutsideThePathFieldsGreysEveryEditItem) {
    SetClipboard(Dlg(), "clip");
    for (const int field : kPathFields) Fill(field, "abc", 0, 1);
    for (const int control : {IDC_BROWSE_SOURCE, IDC_BROWSE_FOLDER, IDOK, IDCANCEL}) {
        Focus(IDC_SOURCE_PATH);
        Focus(control);
        EXPECT_EQ(EnabledEditItems(), "") << control;
        EXPECT_EQ(FileAndHelpEnabled(), std::vector<bool>(4, true)) << control;
    }
}

TEST_F(EditMenuTest, BusyGreysFileAndEditItemsButNotAbout) {
    SetClipboard(Dlg(), "clip");
    Fill(IDC_SOURCE_PATH, "abc", 0, 1);
    Focus(IDC_SOURCE_PATH);
    Type(Item(IDC_SOURCE_PATH), "x");
    ::SendMessageA(Item(IDC_SOURCE_PATH), EM_SETSEL, 0, 1);
    const char* const everything = "Undo Cut Copy Paste Delete SelectAll";
    ASSERT_EQ(EnabledEditItems(), everything);

    dlg.CCodecDlg::SetBusy(true);
    EXPECT_EQ(EnabledEditItems(), "");
    EXPECT_EQ(FileAndHelpEnabled(), (std::vector<bool>{false, false, false, true}));
    dlg.CCodecDlg::SetBusy(false);
    EXPECT_EQ(EnabledEditItems(), everything);
    EXPECT_EQ(FileAndHelpEnabled(), std::vector<bool>(4, true));
}

TEST_F(EditMenuTest, WindowMenuGetsNoUpdatePass) {
    // An Edit command in the window menu, which a pass would grey with the
    // focus on a button.
    const HMENU menu = ::GetSystemMenu(Dlg(), FALSE);
    ::AppendMenuA(menu, MF_STRING, ID_EDIT_CUT, "Cut");
    Focus(IDOK);
    std::vector<UINT> before;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) before.push_back(::GetMenuState(menu, i, MF_BYPOSITION));

    ::SendMessageA(Dlg(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    std::vector<UINT> after;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) after.push_back(::GetMenuState(menu, i, MF_BYPOSITION));
    EXPECT_EQ(after, before);

    // As an ordinary popup it would be updated.
    ::SendMessageA(Dlg(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
    EXPECT_NE(::GetMenuState(menu, ID_EDIT_CUT, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(EditMenuTest, CommandsActOnTheFocusedFieldOnly) {
    struct Case {
        UINT command;
        std::string expectedText;
        std::optional<std::pair<DWORD, DWORD>> expectedSelection;
        std::string expectedClipboard;
    };
    // Each field holds "abcdef" with "bc" selected, the clipboard "XY".
    const Case cases[] = {
        {ID_EDIT_CUT, "adef", std::pair<DWORD, DWORD>{1, 1}, "bc"},
        {ID_EDIT_COPY, "abcdef", std::pair<DWORD, DWORD>{1, 3}, "bc"},
        {ID_EDIT_PASTE, "aXYdef", std::pair<DWORD, DWORD>{3, 3}, "XY"},
        {ID_EDIT_DELETE, "adef", std::pair<DWORD, DWORD>{1, 1}, "XY"},
        {ID_EDIT_SELECTALL, "abcdef", std::pair<DWORD, DWORD>{0, 6}, "XY"},
        {ID_EDIT_UNDO, "abcdef", std::nullopt, "XY"},  // undoes a typed "g"
    };
    for (const int field : kPathFields) {
        const int other = field == IDC_SOURCE_PATH ? IDC_TARGET_FOLDER : IDC_SOURCE_PATH;
        for (const Case& c : cases) {
            SetClipboard(Dlg(), "XY");
            Fill(other, "abcdef", 1, 3);
            Focus(other);
            Focus(field);
            if (c.command == ID_EDIT_UNDO) {
                Fill(field, "abcdef", 6, 6);
                Type(Item(field), "g");
            } else {
                Fill(field, "abcdef", 1, 3);
            }
            ::SendMessageA(Dlg(), WM_COMMAND, c.command, 0);
            EXPECT_EQ(ControlText(Dlg(), field), c.expectedText) << c.command << ", field " << field;
            if (c.expectedSelection) {
                EXPECT_EQ(Selection(Item(field)), *c.expectedSelection) << c.command;
            }
            EXPECT_EQ(ClipboardText(Dlg()), c.expectedClipboard) << c.command;
            EXPECT_EQ(ControlText(Dlg(), other), "abcdef") << c.command;
            EXPECT_EQ(Selection(Item(other)), (std::pair<DWORD, DWORD>{1, 3})) << c.command;
        }
    }
}

TEST_F(EditMenuTest, CommandsDoNothingWithoutAFocusedField) {
    for (const int field : kPathFields) Fill(field, "abcdef", 1, 3);
    Focus(IDC_TARGET_FOLDER);
    Focus(IDC_BROWSE_FOLDER);
    for (const EditItem& item : kEditItems) {
        SetClipboard(Dlg(), "XY");
        ::SendMessageA(Dlg(), WM_COMMAND, item.id, 0);
        for (const int field : kPathFields) {
            EXPECT_EQ(ControlText(Dlg(), field), "abcdef") << item.name;
            EXPECT_EQ(Selection(Item(field)), (std::pair<DWORD, DWORD>{1, 3})) << item.name;
        }
        EXPECT_EQ(ClipboardText(Dlg()), "XY") << item.name;
    }
}

}  // namespace
}  // namespace morvane::gui_test
