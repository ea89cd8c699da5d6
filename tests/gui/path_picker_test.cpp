// The pickers beside the path fields, opened by their "..." buttons and
// handled from a thread of the test while the dialog waits for them.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "gui_support.h"
#include "resource.h"
#include "test_files.h"
#include "win/app.h"
#include "win/file_dialog.h"

namespace morvane::gui_test {
namespace {

// Controls of the system's file-open dialog.
constexpr int kFileTypeCombo = 0x470;
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

// Presses the dialog's "..." button `button`, which shows the picker
// captioned `caption` modally, and hands the picker to `drive` on a thread
// of its own. `drive` closes it. A picker under another caption is
// cancelled, so the test cannot hang on it.
void WithPicker(HWND dialog, int button, const char* caption, const std::function<void(HWND picker)>& drive) {
    bool found = false;
    std::thread driver([&] {
        if (const HWND picker = WaitForDialog(dialog, caption)) {
            found = true;
            drive(picker);
        } else if (const HWND other = WaitForDialog(dialog)) {
            Press(other, IDCANCEL);
        }
    });
    Click(dialog, button);
    driver.join();
    EXPECT_TRUE(found) << caption;
}

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string LastName(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

class PathPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, folder);
        m_currentFolder = folder;
        ASSERT_TRUE(dlg.Create());
    }
    // A chosen file makes its folder the current one, which could then not
    // be removed.
    void TearDown() override { ::SetCurrentDirectoryA(m_currentFolder.c_str()); }
    HWND Dlg() const { return dlg.m_hWnd; }
    // Text in both fields as typed: never exchanged into the members.
    void Type(const std::string& source, const std::string& folder) {
        SetControlText(Dlg(), IDC_SOURCE_PATH, source);
        SetControlText(Dlg(), IDC_TARGET_FOLDER, folder);
    }
    std::pair<std::string, std::string> Fields() const {
        return {ControlText(Dlg(), IDC_SOURCE_PATH), ControlText(Dlg(), IDC_TARGET_FOLDER)};
    }

    std::string m_currentFolder;
    test::TempFolder temp;
    CRecordingCodecDlg dlg;
};

// --- the file-open dialog ---

struct FileTypes {
    std::vector<std::string> names;
    int selected = -1;  // the one in force
};

FileTypes ReadFileTypes(HWND picker) {
    const HWND combo = ::GetDlgItem(picker, kFileTypeCombo);
    FileTypes types;
    const LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char name[256] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        types.names.push_back(name);
    }
    types.selected = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    return types;
}

void EnterFileName(HWND picker, const std::string& name) {
    HWND field = ::GetDlgItem(picker, kFileNameCombo);
    if (field == nullptr) field = ::GetDlgItem(picker, kFileNameEdit);
    ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WidenUtf8(name).c_str()));
}

TEST_F(PathPickerTest, FileTypesFollowTheModeAndCancelKeepsTypedText) {
    struct Mode {
        UINT command;
        FileTypes types;
    };
    const Mode modes[] = {
        {ID_FILE_ENCODE, {{"All Files (*.*)"}, 0}},
        {ID_FILE_DECODE, {{"Encoded Files (*.~mq)", "All Files (*.*)"}, 0}},
    };
    for (const Mode& mode : modes) {
        ::SendMessageA(Dlg(), WM_COMMAND, mode.command, 0);
        Type("typed source", "typed folder");
        FileTypes types;
        WithPicker(Dlg(), IDC_BROWSE_SOURCE, "Open", [&](HWND picker) {
            types = ReadFileTypes(picker);
            Press(picker, IDCANCEL);
        });
        EXPECT_EQ(types.names, mode.types.names) << mode.command;
        EXPECT_EQ(types.selected, mode.types.selected) << mode.command;
        EXPECT_EQ(Fields(), std::make_pair(std::string("typed source"), std::string("typed folder")));
    }
}

TEST_F(PathPickerTest, ChosenFileReplacesTheSourceAndKeepsATypedFolder) {
    const std::string file = WindowsPath(temp / "data.bin");
    test::WriteBytes(file, test::Bytes(10));
    for (const UINT mode : {ID_FILE_ENCODE, ID_FILE_DECODE}) {
        ::SendMessageA(Dlg(), WM_COMMAND, mode, 0);
        Type("typed source", "C:\\typed folder");
        WithPicker(Dlg(), IDC_BROWSE_SOURCE, "Open", [&](HWND picker) {
            EnterFileName(picker, file);
            Press(picker, IDOK);
        });
        EXPECT_EQ(Fields(), std::make_pair(file, std::string("C:\\typed folder"))) << mode;
    }
}

TEST_F(PathPickerTest, FileThatDoesNotExistIsRefusedByThePicker) {
    Type("typed source", "typed folder");
    bool refused = false;
    WithPicker(Dlg(), IDC_BROWSE_SOURCE, "Open", [&](HWND picker) {
        EnterFileName(picker, WindowsPath(temp / "missing.bin"));
        Press(picker, IDOK);
        if (const HWND box = WaitForDialog(picker)) {
            Press(box, IDOK);
            WaitUntilClosed(box);
            refused = ::IsWindowVisible(picker) != FALSE;
        }
        Press(picker, IDCANCEL);
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(Fields(), std::make_pair(std::string("typed source"), std::string("typed folder")));
}

TEST(FileDialogTest, RequestCarriesTheFilterAsNullSeparatedStrings) {
    struct Case {
        const char* filter;
        std::wstring expected;  // up to and including the closing empty string
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"All Files (*.*)|*.*|", L"All Files (*.*)\0*.*\0\0"s},
        {"Encoded Files (*.~mq)|*.~mq|All Files (*.*)|*.*||",
         L"Encoded Files (*.~mq)\0*.~mq\0All Files (*.*)\0*.*\0\0"s},
    };
    for (const Case& c : cases) {
        CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, c.filter);
        EXPECT_EQ(std::wstring(dialog.m_ofn.lpstrFilter, c.expected.size()), c.expected) << c.filter;
        EXPECT_EQ(dialog.m_ofn.nFilterIndex, 0u);
        EXPECT_EQ(dialog.m_ofn.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST));
        EXPECT_EQ(dialog.m_ofn.lpstrDefExt, nullptr);
        EXPECT_EQ(dialog.m_ofn.lpstrInitialDir, nullptr);
        EXPECT_EQ(dialog.m_ofn.lpstrTitle, nullptr);
        EXPECT_STREQ(dialog.m_ofn.lpstrFile, L"");
        // Room for the longest path the file functions take.
        EXPECT_GE(dialog.m_ofn.nMaxFile, static_cast<DWORD>(32767));
    }
}

// --- the folder browser ---

constexpr char kBrowserCaption[] = "Browse for Folder";

// Lists every folder on `path`, from the drive down. Wine's folder browser
// finds a folder by its times, the last access among them, as they were
// when the path was parsed and when the tree lists the folder. The first
// listing of a folder created or changed since its last listing moves its
// last access, which may then differ between the two, and the preselection
// finds nothing. Listed once beforehand, the times stay put.
void SettleFolders(const std::string& path) {
    for (std::filesystem::path folder = path;; folder = folder.parent_path()) {
        std::error_code ignored;
        for (auto entry = std::filesystem::directory_iterator(folder, ignored);
             entry != std::filesystem::directory_iterator(); entry.increment(ignored)) {
        }
        if (folder == folder.root_path() || !folder.has_relative_path()) break;
    }
}

// The texts of the selected item of the browser's tree and of its parent.
std::pair<std::string, std::string> SelectedFolder(HWND browser) {
    const HWND tree = ::FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    const auto text = [tree](HTREEITEM item) {
        char buffer[MAX_PATH] = {};
        TVITEMA request{};
        request.mask = TVIF_TEXT;
        request.hItem = item;
        request.pszText = buffer;
        request.cchTextMax = sizeof buffer;
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
        return std::string(buffer);
    };
    const auto selected = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const auto parent = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(selected)));
    return {text(selected), text(parent)};
}

BOOL CALLBACK CollectText(HWND window, LPARAM texts) {
    reinterpret_cast<std::vector<std::string>*>(texts)->push_back(GetWindowTextString(window));
    return TRUE;
}

// The texts of a window's controls.
std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    ::EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

TEST_F(PathPickerTest, BrowserStartsOnATypedFolderAndKeepsATypedSource) {
    const std::string folder = WindowsPath(temp.MakeFolder("picked"));
    SettleFolders(folder);
    Type("typed source", folder);
    std::pair<std::string, std::string> selected;
    std::vector<std::string> texts;
    WithPicker(Dlg(), IDC_BROWSE_FOLDER, kBrowserCaption, [&](HWND browser) {
        selected = SelectedFolder(browser);
        texts = ChildTexts(browser);
        Press(browser, IDOK);
    });
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Browse for Folder"), texts.end());  // the title
    EXPECT_EQ(selected, std::make_pair(std::string("picked"), LastName(temp.Path())));
    EXPECT_EQ(Fields(), std::make_pair(std::string("typed source"), folder));
}

TEST_F(PathPickerTest, BrowserChoiceReplacesTheFolderAndKeepsATypedSource) {
    const std::string first = WindowsPath(temp.MakeFolder("first"));
    const std::string second = WindowsPath(temp.MakeFolder("second"));
    SettleFolders(first);
    SettleFolders(second);
    Type("typed source", first);
    WithPicker(Dlg(), IDC_BROWSE_FOLDER, kBrowserCaption, [&](HWND browser) {
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(second.c_str()));
        Press(browser, IDOK);
    });
    EXPECT_EQ(Fields(), std::make_pair(std::string("typed source"), second));
}

TEST_F(PathPickerTest, BrowserCancelOrAChoiceWithoutPathKeepsTypedText) {
    AfxEnsureComInitialized();
    LPITEMIDLIST computer = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    const auto cancel = [](HWND browser) { Press(browser, IDCANCEL); };
    struct Case {
        const char* name;
        std::string folder;  // typed into the folder field first
        std::function<void(HWND browser)> drive;
    };
    const Case cases[] = {
        {"cancelled", WindowsPath(temp.Path()), cancel},
        {"cancelled over an empty field, which selects nothing", "", cancel},
        {"the computer chosen, which has no path", WindowsPath(temp.Path()),
         [computer](HWND browser) {
             ::SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
             Press(browser, IDOK);
         }},
    };
    for (const Case& c : cases) {
        Type("typed source", c.folder);
        WithPicker(Dlg(), IDC_BROWSE_FOLDER, kBrowserCaption, c.drive);
        EXPECT_EQ(Fields(), std::make_pair(std::string("typed source"), c.folder)) << c.name;
    }
    ::CoTaskMemFree(computer);
}

}  // namespace
}  // namespace morvane::gui_test
