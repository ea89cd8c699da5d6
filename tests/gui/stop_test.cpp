// Stopping a job from the main dialog: while a job transforms data the
// Close button reads "Stop"; it and Escape stop the job at its next check,
// nothing is left in the folder and the dialog is usable again. A stop that
// comes once the output has its name keeps that output and says so. The
// title bar's X and Alt+F4 stay refused during a job.
#include <gtest/gtest.h>

#include <atomic>

#include "gui_support.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

// A source that holds its reader once `holdAt` bytes have been read.
class HeldSource final : public FileWrapper {
public:
    HeldSource(std::unique_ptr<File> file, JobHold& hold, std::uint64_t holdAt)
        : FileWrapper(std::move(file)), m_hold(hold), m_nHoldAt(holdAt) {}

    std::size_t Read(void* buffer, std::size_t size) override { return Counted(FileWrapper::Read(buffer, size)); }
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override {
        const auto span = FileWrapper::ReadSpan(size);
        Counted(span.size());
        return span;
    }

private:
    std::size_t Counted(std::size_t count) {
        const bool crossing = m_nRead < m_nHoldAt && m_nRead + count >= m_nHoldAt;
        m_nRead += count;
        if (crossing) m_hold.Hold();
        return count;
    }
    JobHold& m_hold;
    std::uint64_t m_nHoldAt;
    std::uint64_t m_nRead = 0;
};

// Holds a job halfway through its source.
class MidCopyHold final : public PlatformWrapper {
public:
    MidCopyHold() : PlatformWrapper(SystemPlatform()) {}
    std::unique_ptr<File> OpenSource(const std::string& path) override {
        std::unique_ptr<File> file = PlatformWrapper::OpenSource(path);
        if (!file) return file;
        return std::make_unique<HeldSource>(std::move(file), hold, kSourceSize / 2);
    }
    JobHold hold;
};

// An output that holds its writer once it has its final name.
class HeldOutput final : public OutputFileWrapper {
public:
    HeldOutput(std::unique_ptr<OutputFile> file, JobHold& hold) : OutputFileWrapper(std::move(file)), m_hold(hold) {}

    PublishStatus Publish(const std::string& path) override {
        const PublishStatus status = OutputFileWrapper::Publish(path);
        if (status == PublishStatus::Published) m_hold.Hold();
        return status;
    }

private:
    JobHold& m_hold;
};

class PublishedHold final : public PlatformWrapper {
public:
    PublishedHold() : PlatformWrapper(SystemPlatform()) {}
    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override {
        CreateResult created = PlatformWrapper::CreateOutput(path, permissions);
        if (created.file) created.file = std::make_unique<HeldOutput>(std::move(created.file), hold);
        return created;
    }
    JobHold hold;
};

class StopTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (HasFatalFailure()) return;
        test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
        out = WindowsPath(temp.MakeFolder("out"));
    }
    // Starts an encode of data.bin through `platform` and waits until the
    // job is held there with its Close button turned into Stop.
    void StartHeldJob(PlatformWrapper& platform, JobHold& hold) {
        dlg.UsePlatform(&platform);
        SetControlText(Dlg(), IDC_SOURCE_PATH, temp / "data.bin");
        SetControlText(Dlg(), IDC_TARGET_FOLDER, out);
        Click(Dlg(), IDOK);
        hold.job = dlg.JobRelay().get();
        ASSERT_TRUE(PumpUntil([&] { return hold.reached && ControlText(Dlg(), IDCANCEL) == "Stop"; }));
    }

    // What a running job shows: only Stop is enabled; the system menu's
    // Close, and the File items, are greyed.
    void ExpectRunning() {
        const auto states = dlg.States();
        EXPECT_EQ(states.enabled, (std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE, TRUE}));
        EXPECT_EQ(states.closeText, "Stop");
        EXPECT_TRUE(states.closeItemGrayed);
        EXPECT_EQ(states.busy, TRUE);
        EXPECT_FALSE(ShowInFolderEnabled());
        EXPECT_TRUE(dlg.IsWorkerAlive());
    }

    // The dialog is back as before the job.
    void ExpectIdle() {
        const auto states = dlg.States();
        EXPECT_EQ(states.enabled, std::vector<BOOL>(6, TRUE));
        EXPECT_EQ(states.visible, std::vector<BOOL>(6, TRUE));
        EXPECT_EQ(states.closeText, "Close");
        EXPECT_FALSE(states.closeItemGrayed);
        EXPECT_EQ(states.busy, FALSE);
        EXPECT_TRUE(::IsWindow(Dlg()));
    }

    // Whether the program goes on: a job runs to its end as usual.
    void ExpectANewJobWorks() {
        dlg.UsePlatform(nullptr);
        ASSERT_TRUE(dlg.RunJob(temp / "data.bin", out));
        EXPECT_NE(dlg.ResultPath(), "");
        EXPECT_EQ(dlg.ResultText(), "Encoded into \"" + dlg.ResultPath() + "\"");
    }

    std::string out;
};

TEST_F(StopTest, StopMidwayLeavesNothingAndGivesTheControlsBack) {
    DialogWatcher watcher;
    MidCopyHold platform;
    ::SetActiveWindow(Dlg());
    const HWND field = ::GetDlgItem(Dlg(), IDC_SOURCE_PATH);
    ::SetFocus(field);
    StartHeldJob(platform, platform.hold);
    ExpectRunning();
    // The disabled field gave the focus to Stop, where the keys still work.
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(Dlg(), IDCANCEL));
    // The line tells the speed and time left once a second has passed.
    EXPECT_TRUE(PumpUntil([&] { return dlg.ResultText().find(" left") != std::string::npos; })) << dlg.ResultText();
    EXPECT_EQ(dlg.ResultText().rfind("Encoding \"data.bin\": ", 0), 0u) << dlg.ResultText();
    EXPECT_NE(dlg.ResultText().find("% of 1.00 MB, "), std::string::npos) << dlg.ResultText();

    // The title bar's X and Alt+F4 are refused.
    ::SendMessageW(Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageW(Dlg(), WM_CLOSE, 0, 0);
    PumpUntil([] { return true; });  // anything they posted is handled
    ASSERT_TRUE(::IsWindow(Dlg()));
    EXPECT_FALSE(dlg.JobRelay()->StopRequested());
    ExpectRunning();

    Click(Dlg(), IDCANCEL);
    // Until the job has ended: a second press means nothing.
    EXPECT_EQ(dlg.ResultText(), "Stopping...");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(Dlg(), IDCANCEL)));
    ASSERT_TRUE(PumpUntil([&] { return !dlg.IsWorkerAlive(); }));

    EXPECT_TRUE(test::ListNames(out).empty());
    EXPECT_EQ(dlg.ResultText(), "Stopped; nothing was written.");
    EXPECT_EQ(dlg.ShownResult(), "Stopped; nothing was written.");
    EXPECT_EQ(BarPos(), 0);
    EXPECT_FALSE(ShowInFolderEnabled());
    EXPECT_TRUE(watcher.TakeTexts().empty());  // a stop is no failure
    ExpectIdle();
    EXPECT_EQ(::GetFocus(), field);
    ExpectANewJobWorks();
}

// The held source checks its stamps as any source does: a change made while
// the job is held fails the job. Its modification time is moved through a
// handle that asks only to write attributes, which the job's sharing allows.
TEST_F(StopTest, TheHeldJobStillChecksItsSource) {
    DialogWatcher watcher;
    MidCopyHold platform;
    StartHeldJob(platform, platform.hold);
    const HANDLE source =
        ::CreateFileW(WidenUtf8(temp / "data.bin").c_str(), FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(source, INVALID_HANDLE_VALUE);
    FILETIME written{};
    ASSERT_TRUE(::GetFileTime(source, nullptr, nullptr, &written));
    written.dwHighDateTime += 1;  // about seven minutes later
    EXPECT_TRUE(::SetFileTime(source, nullptr, nullptr, &written));
    ::CloseHandle(source);
    platform.hold.Open();
    ASSERT_TRUE(PumpUntil([&] { return !dlg.IsWorkerAlive(); }));

    const std::vector<std::string> texts = watcher.TakeTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("\" changed while it was being read."), std::string::npos) << texts[0];
    EXPECT_TRUE(test::ListNames(out).empty());
    ExpectIdle();
}

TEST_F(StopTest, EscapeStopsTheJobToo) {
    DialogWatcher watcher;
    MidCopyHold platform;
    StartHeldJob(platform, platform.hold);
    ExpectRunning();
    // Escape as the dialog's message loop hands it over.
    MSG escape{Dlg(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
    EXPECT_TRUE(dlg.PreTranslateMessage(&escape));
    ASSERT_TRUE(PumpUntil([&] { return !dlg.IsWorkerAlive(); }));
    EXPECT_TRUE(test::ListNames(out).empty());
    EXPECT_EQ(dlg.ResultText(), "Stopped; nothing was written.");
    EXPECT_TRUE(watcher.TakeTexts().empty());
    ExpectIdle();
    // Idle again, Escape closes the dialog as before.
    EXPECT_TRUE(dlg.PreTranslateMessage(&escape));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(dlg.m_hWnd); }));
}

TEST_F(StopTest, AStopOnceTheOutputHasItsNameKeepsItAndSaysSo) {
    DialogWatcher watcher;
    PublishedHold platform;
    StartHeldJob(platform, platform.hold);
    ExpectRunning();
    Click(Dlg(), IDCANCEL);
    ASSERT_TRUE(PumpUntil([&] { return !dlg.IsWorkerAlive(); }));

    EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"data.~mq"});
    EXPECT_EQ(dlg.ResultText(), "Encoded into \"" + out + "\\data.~mq\"");
    EXPECT_GT(BarPos(), 0);
    EXPECT_TRUE(ShowInFolderEnabled());
    EXPECT_TRUE(watcher.TakeTexts().empty());
    ExpectIdle();

    // The output is whole.
    const std::string decoded = WindowsPath(temp.MakeFolder("decoded"));
    dlg.UsePlatform(nullptr);
    ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_DECODE, 0);
    ASSERT_TRUE(dlg.RunJob(out + "\\data.~mq", decoded));
    EXPECT_EQ(test::ReadBytes(decoded + "\\data.bin"), test::PatternBytes(kSourceSize));
}

}  // namespace
}  // namespace morvane::gui_test
