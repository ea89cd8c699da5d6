// What a Windows user expects of the main dialog beyond its rules: the focus
// back where it was after a job, names in any script, paths past the classic
// length limit, files dropped on the window, paths pasted in quotes, and an
// About box whose texts fit.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

#include "about_dlg.h"
#include "gui_support.h"
#include "path_text.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

class EverydayUseTest : public DialogTest {
protected:
    void Type(const std::string& source, const std::string& folder) {
        SetControlText(Dlg(), IDC_SOURCE_PATH, source);
        SetControlText(Dlg(), IDC_TARGET_FOLDER, folder);
    }
    std::pair<std::string, std::string> Fields() const {
        return {ControlText(Dlg(), IDC_SOURCE_PATH), ControlText(Dlg(), IDC_TARGET_FOLDER)};
    }
    // Presses the action button on the fields as they are and waits for the
    // worker to return.
    void RunJob() { ASSERT_TRUE(dlg.PressActionAndWait()); }
    void RunJob(const std::string& source, const std::string& folder) {
        Type(source, folder);
        RunJob();
    }
    void SetMode(UINT command) { ::SendMessageW(Dlg(), WM_COMMAND, command, 0); }

};

// --- the focus across a job ---

TEST_F(EverydayUseTest, FocusComesBackToItsControlAfterAJobThatWorkedOrFailed) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");
    struct Case {
        const char* name;
        int focused;
        UINT mode;  // decode of a file that is no container fails after the checks
    };
    const Case cases[] = {
        {"action button, encoded", IDOK, ID_FILE_ENCODE},
        {"file field, encoded", IDC_SOURCE_PATH, ID_FILE_ENCODE},
        {"folder field, failed", IDC_TARGET_FOLDER, ID_FILE_DECODE},
        {"action button, failed", IDOK, ID_FILE_DECODE},
    };
    for (const Case& c : cases) {
        DialogWatcher watcher;
        SetMode(c.mode);
        ::SetActiveWindow(Dlg());
        const HWND focused = ::GetDlgItem(Dlg(), c.focused);
        ::SetFocus(focused);
        ASSERT_EQ(::GetFocus(), focused) << c.name;
        // A disabled control has no focus, as Windows has it (Wine keeps it there).
        dlg.onFirstPosition = [&] { ::SetFocus(nullptr); };
        RunJob(temp / "data.bin", out);
        EXPECT_EQ(dlg.States().enabled, std::vector<BOOL>(6, TRUE)) << c.name;
        EXPECT_EQ(::GetFocus(), focused) << c.name;
        EXPECT_EQ(watcher.TakeTexts().size(), c.mode == ID_FILE_ENCODE ? 0u : 1u) << c.name;
    }
}

TEST_F(EverydayUseTest, RefusedJobLeavesTheFocusAlone) {
    test::WriteBytes(temp / "small.bin", test::PatternBytes(1000));
    DialogWatcher watcher;
    ::SetActiveWindow(Dlg());
    const HWND field = ::GetDlgItem(Dlg(), IDC_TARGET_FOLDER);
    ::SetFocus(field);
    RunJob(temp / "small.bin", temp.Path());
    EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{"Please select the file of length >= 1MB."});
    EXPECT_EQ(::GetFocus(), field);
}

// --- names outside the ANSI code page ---

struct ScriptName {
    const char* script;
    const char* folder;
    const char* file;  // without extension
};
const ScriptName kScriptNames[] = {
    {"Cyrillic", "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5"},
    {"CJK", "\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9", "\xE8\xB3\x87\xE6\x96\x99 \xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF"},
};

TEST_F(EverydayUseTest, NamesInAnyScriptShowAndEncodeAndDecodeTypedOrPicked) {
    for (const ScriptName& name : kScriptNames) {
        SCOPED_TRACE(name.script);
        const std::string folder = temp.MakeFolder(name.folder);
        const std::string encoded = temp.MakeFolder(std::string(name.folder) + "-1");
        const std::string decoded = temp.MakeFolder(std::string(name.folder) + "-2");
        const std::string file = std::string(name.file) + ".bin";
        const test::Bytes original = test::PatternBytes(kSourceSize, 7);
        test::WriteBytes(folder + "/" + file, original);

        // The file picked: the field shows its name as it is.
        SetMode(ID_FILE_ENCODE);
        Type("", WindowsPath(encoded));
        const std::string picked = WindowsPath(folder + "/" + file);
        std::thread driver([&] {
            if (const HWND picker = WaitForDialog(Dlg(), "Open")) {
                HWND field = ::GetDlgItem(picker, 0x47C);
                if (field == nullptr) field = ::GetDlgItem(picker, 0x480);
                ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WidenUtf8(picked).c_str()));
                Press(picker, IDOK);
            }
        });
        Click(Dlg(), IDC_BROWSE_SOURCE);
        driver.join();
        EXPECT_EQ(Fields(), std::make_pair(picked, WindowsPath(encoded)));
        DialogWatcher watcher;  // after the picker, which it would close
        RunJob();
        ASSERT_EQ(test::ListNames(encoded), std::vector<std::string>{std::string(name.file) + ".~mq"});

        // The container typed: the decoded file gets the name back.
        SetMode(ID_FILE_DECODE);
        RunJob(encoded + "/" + name.file + ".~mq", decoded);
        ASSERT_EQ(test::ListNames(decoded), std::vector<std::string>{file});
        EXPECT_EQ(test::ReadBytes(decoded + "/" + file), original);
        EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{});
    }
}

TEST_F(EverydayUseTest, MissingNameInAnyScriptIsReportedAsMissing) {
    DialogWatcher watcher;
    for (const ScriptName& name : kScriptNames) {
        RunJob(temp / name.file, temp.Path());
        RunJob(temp / "data.bin", temp / name.folder);
    }
    test::WriteBytes(temp / "data.bin", test::PatternBytes(10));
    for (const ScriptName& name : kScriptNames) RunJob(temp / "data.bin", temp / name.folder);
    EXPECT_EQ(watcher.TakeTexts(), (std::vector<std::string>{"File not exist.", "File not exist.", "File not exist.",
                                                              "File not exist.", "Folder does not exist.",
                                                              "Folder does not exist."}));
}

// Names that would pass the limit of 255 once ".~mq" or " (2)" is added get
// a name fitted before the job writes anything. (Wine keeps its files on a
// Linux file system, which counts bytes, so the names here are ASCII.)
TEST_F(EverydayUseTest, NamesAtTheLengthLimitAreFittedAndTheJobsSucceed) {
    DialogWatcher watcher;
    for (const std::size_t length : {250u, 253u, 255u}) {
        SCOPED_TRACE(length);
        const std::string out = temp.MakeFolder("out" + std::to_string(length));
        const std::string source = temp / std::string(length, 'n');
        test::WriteBytes(source, test::PatternBytes(kSourceSize, 5));
        SetMode(ID_FILE_ENCODE);
        RunJob(source, out);
        RunJob(source, out);
        const std::vector<std::string> encoded = test::ListNames(out);
        ASSERT_EQ(encoded.size(), 2u);
        const std::string& numbered = encoded[0].ends_with(" (2).~mq") ? encoded[0] : encoded[1];
        EXPECT_TRUE(numbered.ends_with(" (2).~mq")) << numbered;
        SetMode(ID_FILE_DECODE);
        RunJob(out + "/" + numbered, out);
        EXPECT_EQ(test::ListNames(out).size(), 3u);
        for (const std::string& name : test::ListNames(out)) EXPECT_LE(name.size(), 255u) << name;
    }
    EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{});
}

// --- paths past the classic limit of 260 characters ---

// Files in folders deeper than the standard library may reach on every
// system: made, read, listed and removed through the \\?\ form.
class LongFolder {
public:
    explicit LongFolder(const std::string& parent) {
        m_path = WindowsPath(parent);
        for (int level = 0; level < 4; ++level) {
            m_path += "\\" + std::string(70, static_cast<char>('a' + level));
            m_folders.push_back(m_path);
            ::CreateDirectoryW(FileSystemPath(m_path).c_str(), nullptr);
        }
    }
    ~LongFolder() {
        for (const std::string& name : List()) ::DeleteFileW(FileSystemPath(m_path + "\\" + name).c_str());
        for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
            ::RemoveDirectoryW(FileSystemPath(*folder).c_str());
    }
    const std::string& Path() const { return m_path; }

    void Write(const std::string& name, const test::Bytes& bytes) const {
        const HANDLE file = ::CreateFileW(FileSystemPath(m_path + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        ASSERT_EQ(written, bytes.size());
    }
    test::Bytes Read(const std::string& name) const {
        const HANDLE file = ::CreateFileW(FileSystemPath(m_path + "\\" + name).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file, &size);
        test::Bytes bytes(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        ::CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }
    std::vector<std::string> List() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW(FileSystemPath(m_path + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = NarrowToUtf8(found.cFileName);
            if (name != "." && name != "..") names.push_back(name);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
    std::vector<std::string> m_folders;
};

TEST_F(EverydayUseTest, PathsLongerThan260CharactersEncodeAndDecode) {
    const LongFolder folder(temp.Path());
    ASSERT_GT(folder.Path().size(), 300u);
    const test::Bytes original = test::PatternBytes(kSourceSize, 3);
    folder.Write("data.bin", original);
    DialogWatcher watcher;

    RunJob(folder.Path() + "\\data.bin", folder.Path());
    ASSERT_EQ(folder.List(), (std::vector<std::string>{"data.bin", "data.~mq"}));
    SetMode(ID_FILE_DECODE);
    RunJob(folder.Path() + "\\data.~mq", folder.Path());
    ASSERT_EQ(folder.List(), (std::vector<std::string>{"data (2).bin", "data.bin", "data.~mq"}));
    EXPECT_EQ(folder.Read("data (2).bin"), original);
    // What the user typed is what the fields show.
    EXPECT_EQ(Fields(), std::make_pair(folder.Path() + "\\data.~mq", folder.Path()));
    EXPECT_TRUE(watcher.TakeTexts().empty());
}

TEST(FileSystemPathTest, LongPathsTakeTheExtendedFormAndShortOnesStayAsTyped) {
    const std::string deep = "C:\\" + std::string(250, 'x') + "\\name.bin";
    const std::wstring wideDeep = WidenUtf8(deep);
    struct Case {
        std::string path;
        std::wstring expected;
    };
    const Case cases[] = {
        {"C:\\short\\name.bin", L"C:\\short\\name.bin"},
        {"relative/name.bin", L"relative/name.bin"},
        {"C:\\\xD0\x9F\\name.bin", L"C:\\\x041F\\name.bin"},
        {deep, L"\\\\?\\" + wideDeep},
        {"C:/" + std::string(250, 'x') + "/./sub/../name.bin", L"\\\\?\\" + wideDeep},
        {"\\\\server\\share\\" + std::string(250, 'y'), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'y')},
        {"\\\\?\\" + deep, L"\\\\?\\" + wideDeep},
    };
    for (const Case& c : cases) EXPECT_EQ(FileSystemPath(c.path), c.expected) << c.path;
}

// --- drag and drop ---

TEST_F(EverydayUseTest, DroppedFileFillsTheFileFieldAndDroppedFolderTheFolderField) {
    const std::string file = WindowsPath(temp / kScriptNames[0].file);
    test::WriteBytes(file, test::PatternBytes(10));
    const std::string folder = WindowsPath(temp.MakeFolder(kScriptNames[1].folder));
    EXPECT_NE(::GetWindowLongW(Dlg(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    struct Case {
        const char* name;
        std::vector<std::string> dropped;
        std::pair<std::string, std::string> fields;
    };
    const Case cases[] = {
        {"a file", {file}, {file, "typed folder"}},
        {"a folder", {folder}, {"typed source", folder}},
        {"a folder and a file: each to its field", {folder, file}, {file, folder}},
    };
    for (const Case& c : cases) {
        Type("typed source", "typed folder");
        ::PostMessageW(Dlg(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.dropped)), 0);
        EXPECT_TRUE(PumpUntil([&] { return Fields() != std::make_pair(std::string("typed source"),
                                                                       std::string("typed folder")); },
                              5000))
            << c.name;
        EXPECT_EQ(Fields(), c.fields) << c.name;
    }
}

TEST_F(EverydayUseTest, DropWhileAJobRunsChangesNothing) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    test::WriteBytes(temp / "other.bin", test::PatternBytes(10));
    const std::string out = temp.MakeFolder("out");
    dlg.onFirstPosition = [&] {
        ::SendMessageW(Dlg(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({WindowsPath(temp / "other.bin")})), 0);
        ::SendMessageW(Dlg(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({WindowsPath(temp.Path())})), 0);
    };
    RunJob(temp / "data.bin", out);
    EXPECT_EQ(Fields(), std::make_pair(temp / "data.bin", out));
    EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"data.~mq"});
}

// --- paths pasted in quotes ---

TEST(UnquotedPathTest, OnlyOneWholeQuotedPathLosesItsQuotes) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"C:\\a b\\c.bin\"", "C:\\a b\\c.bin"},
        {"C:\\a b\\c.bin", "C:\\a b\\c.bin"},
        {"\"\"", ""},
        {"\"", "\""},
        {"\"C:\\a\" \"C:\\b\"", "\"C:\\a\" \"C:\\b\""},
        {"\"C:\\a", "\"C:\\a"},
        {" \"C:\\a\"", " \"C:\\a\""},
        {"", ""},
    };
    for (const auto& [text, path] : cases) EXPECT_EQ(UnquotedPath(text), path) << text;
}

TEST_F(EverydayUseTest, PathsPastedInQuotesAreTakenWithoutThem) {
    test::WriteBytes(temp / "my data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out put");
    DialogWatcher watcher;
    RunJob("\"" + WindowsPath(temp / "my data.bin") + "\"", "\"" + WindowsPath(out) + "\"");
    EXPECT_TRUE(watcher.TakeTexts().empty());
    EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"my data.~mq"});

    // Two quoted paths are no path.
    RunJob("\"" + WindowsPath(temp / "my data.bin") + "\" \"x\"", out);
    EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{"File not exist."});
}

// --- the About box ---

TEST(AboutBoxTest, TextsAreTrueAndFitTheirLines) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    int statics = 0;
    for (HWND control = ::GetWindow(about.m_hWnd, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(control, className, sizeof className);
        if (_stricmp(className, "Static") != 0 || (::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            continue;
        ++statics;
        const std::string text = GetWindowTextString(control);
        const std::wstring wide = WidenUtf8(text);
        EXPECT_EQ(text.find("example"), std::string::npos) << text;
        RECT client{};
        ::GetClientRect(control, &client);
        const HDC dc = ::GetDC(control);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        EXPECT_LE(extent.cx, client.right - client.left) << text;
    }
    EXPECT_EQ(statics, 3);
    about.EndDialog(IDOK);
}

}  // namespace
}  // namespace morvane::gui_test
