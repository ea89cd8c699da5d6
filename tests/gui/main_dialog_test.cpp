// The main dialog as its handlers make it, driven through window messages.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

class MainDialogTest : public DialogTest {};

TEST_F(MainDialogTest, IconsAndMenuBarAreSet) {
    const HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(Dlg(), WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(Dlg(), WM_GETICON, ICON_SMALL, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(Dlg(), WM_QUERYDRAGICON, 0, 0)), icon);
    for (const int button : {IDC_BROWSE_SOURCE, IDC_BROWSE_FOLDER})
        EXPECT_NE(::SendDlgItemMessageA(Dlg(), button, BM_GETIMAGE, IMAGE_ICON, 0), 0) << button;

    const HMENU bar = ::GetMenu(Dlg());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(::GetMenuItemCount(bar), 3);
    const UINT encode = ::GetMenuState(bar, ID_FILE_ENCODE, MF_BYCOMMAND);
    EXPECT_NE(encode & MF_CHECKED, 0u);
    EXPECT_EQ(::GetMenuState(bar, ID_FILE_DECODE, MF_BYCOMMAND) & MF_CHECKED, 0u);
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(bar, ID_FILE_ENCODE, FALSE, &item);
    EXPECT_NE(item.fType & MFT_RADIOCHECK, 0u);
}

TEST_F(MainDialogTest, SystemMenuEndsWithTheAboutItem) {
    const HMENU menu = ::GetSystemMenu(Dlg(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_NE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[64] = {};
    ::GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Morvane...");
}

TEST_F(MainDialogTest, AboutBoxOpensFromSystemMenuAndHelpMenu) {
    const std::pair<UINT, WPARAM> ways[] = {{WM_SYSCOMMAND, IDM_ABOUTBOX}, {WM_COMMAND, ID_HELP_ABOUT}};
    for (const auto& [message, command] : ways) {
        DialogWatcher watcher;
        ::SendMessageA(Dlg(), message, command, 0);  // returns once the box is closed
        const auto seen = watcher.TakeSeen();
        ASSERT_EQ(seen.size(), 1u) << message;
        EXPECT_EQ(seen[0].caption, "About Morvane");
        EXPECT_TRUE(::IsWindowEnabled(Dlg()));
    }
}

TEST_F(MainDialogTest, ModeSwitchSetsLabelsAndClearsPathsAndBar) {
    struct Mode {
        UINT command;
        BOOL encode;
        const char* labels[4];  // source, folder, progress, action button
    };
    const Mode modes[] = {
        {ID_FILE_DECODE, FALSE, {"File to decode:", "Decode the file into the folder:", "Decoding progress:", "Decode"}},
        {ID_FILE_DECODE, FALSE, {"File to decode:", "Decode the file into the folder:", "Decoding progress:", "Decode"}},
        {ID_FILE_ENCODE, TRUE, {"File to encode:", "Encode the file into the folder:", "Encoding progress:", "Encode"}},
    };
    const int labelled[] = {IDC_SOURCE_LABEL, IDC_FOLDER_LABEL, IDC_PROGRESS_LABEL, IDOK};
    for (const Mode& mode : modes) {
        SetControlText(Dlg(), IDC_SOURCE_PATH, "C:\\typed.bin");
        SetControlText(Dlg(), IDC_TARGET_FOLDER, "C:\\");
        ::SendDlgItemMessageA(Dlg(), IDC_PROGRESS, PBM_SETPOS, 40, 0);
        ::SendMessageA(Dlg(), WM_COMMAND, mode.command, 0);
        EXPECT_EQ(dlg.IsEncodeMode(), mode.encode);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(ControlText(Dlg(), labelled[i]), mode.labels[i]);
        EXPECT_EQ(ControlText(Dlg(), IDC_SOURCE_PATH), "");
        EXPECT_EQ(ControlText(Dlg(), IDC_TARGET_FOLDER), "");
        EXPECT_EQ(::SendDlgItemMessageA(Dlg(), IDC_PROGRESS, PBM_GETPOS, 0, 0), 0);
        const HMENU bar = ::GetMenu(Dlg());
        EXPECT_NE(::GetMenuState(bar, mode.command, MF_BYCOMMAND) & MF_CHECKED, 0u);
        const UINT other = mode.command == ID_FILE_ENCODE ? ID_FILE_DECODE : ID_FILE_ENCODE;
        EXPECT_EQ(::GetMenuState(bar, other, MF_BYCOMMAND) & MF_CHECKED, 0u);
    }
}

TEST_F(MainDialogTest, MissingPathsAreRefusedBeforeAnyJob) {
    test::TempFolder temp;
    const std::string file = temp / "present.bin";
    test::WriteBytes(file, test::Bytes(10));
    struct Case {
        std::string source, folder, message;
    };
    const Case cases[] = {
        {"", temp.Path(), "File not exist."},
        {temp / "missing.bin", temp.Path(), "File not exist."},
        {file, temp / "missing", "Folder does not exist."},
        {file, "", "Folder does not exist."},
    };
    for (const Case& c : cases) {
        SetControlText(Dlg(), IDC_SOURCE_PATH, c.source);
        SetControlText(Dlg(), IDC_TARGET_FOLDER, c.folder);
        DialogWatcher watcher;
        Click(Dlg(), IDOK);
        EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{c.message});
        EXPECT_FALSE(dlg.IsWorkerAlive());
        EXPECT_EQ(ControlText(Dlg(), IDC_SOURCE_PATH), c.source);
        EXPECT_EQ(ControlText(Dlg(), IDC_TARGET_FOLDER), c.folder);
    }
}

TEST_F(MainDialogTest, CloseButtonEndsTheDialog) {
    Click(Dlg(), IDCANCEL);
    EXPECT_EQ(Dlg(), nullptr);
}

}  // namespace
}  // namespace morvane::gui_test
