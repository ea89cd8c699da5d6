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
class HeldSource final : public File {
public:
    HeldSource(std::unique_ptr<File> file, JobHold& hold, std::uint64_t holdAt)
        : m_file(std::move(file)), m_hold(hold), m_nHoldAt(holdAt) {}

    std::size_t Read(void* buffer, std::size_t size) override { return Counted(m_file->Read(buffer, size)); }
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override {
        const auto span = m_file->ReadSpan(size);
        Counted(span.size());
        return span;
    }
    void Write(const void* data, std::size_t size) override { m_file->Write(data, size); }
    void Rewind() override { m_file->Rewind(); }
    void Close() override { m_file->Close(); }
    std::int64_t Length() override { return m_file->Length(); }
    std::optional<std::uint32_t> Permissions() override { return m_file->Permissions(); }

private:
    std::size_t Counted(std::size_t count) {
        const bool crossing = m_nRead < m_nHoldAt && m_nRead + count >= m_nHoldAt;
        m_nRead += count;
        if (crossing) m_hold.Hold();
        return count;
    }
    std::unique_ptr<File> m_file;
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
class HeldOutput final : public OutputFile {
public:
    HeldOutput(std::unique_ptr<OutputFile> file, JobHold& hold) : m_file(std::move(file)), m_hold(hold) {}

    std::size_t Read(void* buffer, std::size_t size) override { return m_file->Read(buffer, size); }
    void Write(const void* data, std::size_t size) override { m_file->Write(data, size); }
    std::span<std::uint8_t> WriteSpan(std::size_t size) override { return m_file->WriteSpan(size); }
    void CommitWrite(std::size_t count) override { m_file->CommitWrite(count); }
    void Rewind() override { m_file->Rewind(); }
    void Close() override { m_file->Close(); }
    std::int64_t Length() override { return m_file->Length(); }
    PublishStatus Publish(const std::string& path) override {
        const PublishStatus status = m_file->Publish(path);
        if (status == PublishStatus::Published) m_hold.Hold();
        return status;
    }
    DiscardResult Discard() noexcept override { return m_file->Discard(); }

private:
    std::unique_ptr<OutputFile> m_file;
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
    int BarPos() const { return static_cast<int>(::SendDlgItemMessageW(Dlg(), IDC_PROGRESS, PBM_GETPOS, 0, 0)); }
    bool ShowInFolderEnabled() const {
        const HMENU file = ::GetSubMenu(::GetMenu(Dlg()), 0);
        ::SendMessageW(Dlg(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        return (::GetMenuState(file, ID_FILE_SHOW_IN_FOLDER, MF_BYCOMMAND) & MF_GRAYED) == 0;
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
    EXPECT_TRUE(PumpUntil([&] { return dlg.ResultText().find(" left") != std::string::npos; }, 10000))
        << dlg.ResultText();
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
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(dlg.m_hWnd); }, 5000));
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
