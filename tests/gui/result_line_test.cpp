// The result line below the main dialog's controls: what a job is doing,
// what it wrote (with its real, possibly numbered name) or that it wrote
// nothing; the bar that starts each job from 0; File > Show in Folder and
// the double click on the line; several dropped items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault_injecting_platform.h"
#include "gui_support.h"
#include "resource.h"
#include "result_line.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

// --- the line in the dialog ---

class ResultLineTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (HasFatalFailure()) return;
        dlg.RecordShowInFolder();
    }
    HWND Line() const { return ::GetDlgItem(Dlg(), IDC_RESULT_LINE); }
    void SetMode(UINT command) { ::SendMessageW(Dlg(), WM_COMMAND, command, 0); }
    void RunJob(const std::string& source, const std::string& folder) { ASSERT_TRUE(dlg.RunJob(source, folder)); }

    void ChooseShowInFolder() { ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_SHOW_IN_FOLDER, 0); }
    // As the user's double click reaches the status bar.
    void DoubleClickLine() { ::SendMessageW(Line(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, 4)); }

    // The line shows the whole text, or, shortened, its end.
    void ExpectShown(const std::string& whole) {
        const std::string shown = dlg.ShownResult();
        if (shown == whole) return;
        const std::string end = whole.substr(whole.find_last_of('\\'));
        ASSERT_GT(shown.size(), end.size()) << shown;
        EXPECT_EQ(shown.substr(shown.size() - end.size()), end);
        EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    }
};

TEST_F(ResultLineTest, TheLineIsAStatusBarBelowTheControlsAndTheWindowGrewByItsHeight) {
    ASSERT_NE(Line(), nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(Line(), className, 64);
    EXPECT_STREQ(className, L"msctls_statusbar32");
    EXPECT_TRUE(::IsWindowVisible(Line()));
    EXPECT_EQ(dlg.ResultText(), "");
    EXPECT_EQ(dlg.ShownResult(), "");

    // The same template without the line.
    CDialog plain(IDD_CODEC_DIALOG);
    ASSERT_TRUE(plain.Create());
    RECT withLine;
    RECT without;
    RECT line;
    ::GetWindowRect(Dlg(), &withLine);
    ::GetWindowRect(plain.m_hWnd, &without);
    ::GetWindowRect(Line(), &line);
    EXPECT_EQ(withLine.right - withLine.left, without.right - without.left);
    EXPECT_EQ(withLine.bottom - withLine.top, without.bottom - without.top + (line.bottom - line.top));

    // At the bottom of the client area, as wide, and below every control.
    RECT client;
    ::GetClientRect(Dlg(), &client);
    ::MapWindowPoints(nullptr, Dlg(), reinterpret_cast<POINT*>(&line), 2);
    EXPECT_EQ(line.bottom, client.bottom);
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.right, client.right);
    for (HWND child = ::GetWindow(Dlg(), GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child == Line()) continue;
        RECT control;
        ::GetWindowRect(child, &control);
        ::MapWindowPoints(nullptr, Dlg(), reinterpret_cast<POINT*>(&control), 2);
        EXPECT_LE(control.bottom, line.top) << ::GetDlgCtrlID(child);
    }
}

TEST_F(ResultLineTest, ShowInFolderSitsInTheFileMenuAndIsDisabledWithoutAResult) {
    const HMENU file = ::GetSubMenu(::GetMenu(Dlg()), 0);
    std::vector<std::string> items;
    for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
        char label[64] = {};
        ::GetMenuStringA(file, i, label, sizeof label, MF_BYPOSITION);
        items.push_back((::GetMenuState(file, i, MF_BYPOSITION) & MF_SEPARATOR) ? "-" : label);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Encode", "Decode", "-", "Show in Folder", "-", "E&xit"}));
    EXPECT_FALSE(ShowInFolderEnabled());
    ChooseShowInFolder();
    DoubleClickLine();
    EXPECT_TRUE(dlg.shownInFolder.empty());
}

TEST_F(ResultLineTest, AJobSaysWhichFileAndHowMuchThenWhatItWroteUnderItsRealName) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = WindowsPath(temp.MakeFolder("out"));
    const std::string decoded = WindowsPath(temp.MakeFolder("decoded"));
    std::string atStart;
    bool showEnabledDuringJob = true;
    dlg.onBusy = [&] {
        atStart = dlg.ResultText();
        showEnabledDuringJob = ShowInFolderEnabled();
    };
    DialogWatcher watcher;

    RunJob(temp / "data.bin", out);
    // What it says while it transforms data: StopTest, which holds a job there.
    EXPECT_EQ(atStart, "Encoding \"data.bin\"...");
    EXPECT_FALSE(showEnabledDuringJob);
    EXPECT_EQ(dlg.ResultText(), "Encoded into \"" + out + "\\data.~mq\"");
    EXPECT_EQ(dlg.ResultPath(), out + "\\data.~mq");
    ExpectShown(dlg.ResultText());

    // The same job again: the name the user could not guess.
    dlg.positions.clear();
    RunJob(temp / "data.bin", out);
    EXPECT_EQ(test::ListNames(out), (std::vector<std::string>{"data (2).~mq", "data.~mq"}));
    EXPECT_EQ(dlg.ResultText(), "Encoded into \"" + out + "\\data (2).~mq\"");
    ExpectShown(dlg.ResultText());

    // Show in Folder, from the menu and by a double click on the line.
    EXPECT_TRUE(ShowInFolderEnabled());
    ChooseShowInFolder();
    DoubleClickLine();
    EXPECT_EQ(dlg.shownInFolder, std::vector<std::string>(2, out + "\\data (2).~mq"));

    SetMode(ID_FILE_DECODE);
    dlg.positions.clear();
    RunJob(out + "\\data.~mq", decoded);
    EXPECT_EQ(atStart, "Decoding \"data.~mq\"...");
    EXPECT_EQ(dlg.ResultText(), "Decoded into \"" + decoded + "\\data.bin\"");
    EXPECT_TRUE(watcher.TakeTexts().empty());  // success stays silent
}

TEST_F(ResultLineTest, AFolderTypedWithSlashesGivesAWindowsPath) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");  // '/' separators
    RunJob(temp / "data.bin", out);
    EXPECT_EQ(dlg.ResultPath(), WindowsPath(out) + "\\data.~mq");
}

TEST_F(ResultLineTest, ALongPathShowsShortenedInItsMiddleAndKeepsItsName) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    std::string relative;
    for (int i = 0; i < 4; ++i) {
        relative += (i > 0 ? "/" : "") + std::string(40, static_cast<char>('a' + i));
        temp.MakeFolder(relative);
    }
    const std::string folder = WindowsPath(temp / relative);
    RunJob(temp / "data.bin", folder);
    EXPECT_EQ(dlg.ResultText(), "Encoded into \"" + folder + "\\data.~mq\"");
    const std::string shown = dlg.ShownResult();
    EXPECT_NE(shown, dlg.ResultText());
    EXPECT_EQ(shown.rfind("Encoded into \"", 0), 0u) << shown;
    ExpectShown(dlg.ResultText());
    // Shown in full width and no wider.
    HDC dc = ::GetDC(Line());
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(Line(), WM_GETFONT, 0, 0)));
    const std::wstring wide = WidenUtf8(shown);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(Line(), dc);
    RECT line;
    ::GetClientRect(Line(), &line);
    EXPECT_LT(size.cx, line.right);
}

TEST_F(ResultLineTest, AFailureSaysNothingWasWrittenAndEachJobStartsTheBarFrom0) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    test::WriteBytes(temp / "small.bin", test::PatternBytes(1000));
    const std::string out = WindowsPath(temp.MakeFolder("out"));
    test::FaultInjectingPlatform refusing;
    refusing.faults.refuseCreation = true;
    struct Case {
        const char* name;
        std::string source;
        test::FaultInjectingPlatform* platform;
        std::string message;
        bool jobStarts;
    };
    const Case cases[] = {
        {"refused in the job's checks", temp / "small.bin", nullptr, "Please select the file of length >= 1MB.", true},
        {"failed after the checks", temp / "data.bin", &refusing, "Unable to create file " + out + "\\data (2).~mq",
         true},
        {"refused by the dialog", temp / "missing.bin", nullptr, "File not exist.", false},
    };
    for (const Case& c : cases) {
        DialogWatcher watcher;
        dlg.UsePlatform(nullptr);
        dlg.onBusy = nullptr;
        RunJob(temp / "data.bin", out);
        ASSERT_GT(BarPos(), 0) << c.name;
        ASSERT_TRUE(ShowInFolderEnabled()) << c.name;

        int barAtStart = -1;
        dlg.onBusy = [&] { barAtStart = BarPos(); };
        dlg.UsePlatform(c.platform);
        RunJob(c.source, out);
        EXPECT_EQ(barAtStart, c.jobStarts ? 0 : -1) << c.name;
        EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(dlg.ResultText(), "Encoding failed; nothing was written.") << c.name;
        EXPECT_EQ(dlg.ResultPath(), "") << c.name;
        EXPECT_EQ(BarPos(), 0) << c.name;
        EXPECT_FALSE(ShowInFolderEnabled()) << c.name;
        EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"data.~mq"}) << c.name;
        ::DeleteFileW(WidenUtf8(out + "\\data.~mq").c_str());
    }
}

// Whether the output stayed is what the job reports, not what its message
// happens to say: a name holding the message's words changes nothing.
TEST_F(ResultLineTest, AFailureWhoseOutputCouldNotBeRemovedSaysSo) {
    const struct {
        const char* source;
        bool discardFails;
        const char* line;
    } cases[] = {
        {"data.bin", true, "Encoding failed; its partial output could not be removed."},
        {"Unable to remove file x.bin", false, "Encoding failed; nothing was written."},
    };
    for (const auto& c : cases) {
        test::WriteBytes(temp / c.source, test::PatternBytes(kSourceSize));
        const std::string out = WindowsPath(temp.MakeFolder(std::string("out ") + (c.discardFails ? "1" : "2")));
        test::FaultInjectingPlatform platform;
        platform.faults.diskFullAfter = 100000;
        platform.faults.discardFails = c.discardFails;
        dlg.UsePlatform(&platform);
        DialogWatcher watcher;
        RunJob(temp / c.source, out);
        const std::vector<std::string> texts = watcher.TakeTexts();
        ASSERT_EQ(texts.size(), 1u) << c.source;
        EXPECT_NE(texts[0].find("Unable to remove file "), std::string::npos) << texts[0];
        EXPECT_EQ(dlg.ResultText(), c.line) << c.source;
        EXPECT_FALSE(ShowInFolderEnabled()) << c.source;
        dlg.UsePlatform(nullptr);
    }
}

TEST_F(ResultLineTest, AModeSwitchClearsTheLine) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = WindowsPath(temp.MakeFolder("out"));
    for (const UINT mode : {ID_FILE_ENCODE, ID_FILE_DECODE}) {
        SetMode(ID_FILE_ENCODE);
        RunJob(temp / "data.bin", out);
        ASSERT_FALSE(dlg.ResultText().empty());
        SetMode(mode);  // the mode that is already active does the same
        EXPECT_EQ(dlg.ResultText(), "") << mode;
        EXPECT_EQ(dlg.ShownResult(), "") << mode;
        EXPECT_FALSE(ShowInFolderEnabled()) << mode;
        DoubleClickLine();
        EXPECT_TRUE(dlg.shownInFolder.empty());
    }
}

TEST_F(ResultLineTest, DroppingSeveralFilesAfterAJobLeavesNoStaleResult) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = WindowsPath(temp.MakeFolder("out"));
    RunJob(temp / "data.bin", out);
    ASSERT_TRUE(ShowInFolderEnabled());
    ::SendMessageW(Dlg(), WM_DROPFILES,
                   reinterpret_cast<WPARAM>(MakeDrop({WindowsPath(temp / "data.bin"), WindowsPath(temp / "data.bin")})),
                   0);
    EXPECT_EQ(dlg.ResultText(), "");
    EXPECT_FALSE(ShowInFolderEnabled());
}

}  // namespace
}  // namespace morvane::gui_test
