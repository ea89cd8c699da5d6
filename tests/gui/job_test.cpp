// Jobs started from the main dialog: real encodes and decodes on a worker,
// what the dialog shows meanwhile, a second press and closing the dialog
// while a job is in its checks, and the end of the session during a job.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "gui_support.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

// Holds a job once its output exists, until the dialog has let the job go,
// so the test acts while the job is surely in its work.
class OutputGate final : public PlatformWrapper {
public:
    OutputGate() : PlatformWrapper(SystemPlatform()) {}

    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override {
        CreateResult created = PlatformWrapper::CreateOutput(path, permissions);
        hold.Hold();
        return created;
    }

    JobHold hold;
};

// Holds a job in its free-space query, the last of its checks, until the
// test opens the hold, and notes whether the job went on to create an output.
class ChecksGate final : public PlatformWrapper {
public:
    ChecksGate() : PlatformWrapper(SystemPlatform()) {}

    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        hold.Hold();
        return PlatformWrapper::FreeSpace(folder);
    }

    CreateResult CreateOutput(const std::string& path, std::optional<std::uint32_t> permissions) override {
        created = true;
        return PlatformWrapper::CreateOutput(path, permissions);
    }

    JobHold hold;                      // reached: the job is in its free-space query
    std::atomic<bool> created{false};  // the job created an output
};

class JobTest : public DialogTest {
protected:
    // Starts a job on the two paths and waits until its worker has returned.
    void RunJob(const std::string& source, const std::string& folder) {
        dlg.positions.clear();
        dlg.duringWork.clear();
        ASSERT_TRUE(dlg.RunJob(source, folder));
    }

    void ExpectFinishedWithFullBar() {
        ASSERT_FALSE(dlg.positions.empty());
        for (std::size_t i = 1; i < dlg.positions.size(); ++i) EXPECT_LT(dlg.positions[i - 1], dlg.positions[i]);
        EXPECT_EQ(dlg.positions.back(), kSourceSize / 4096 + 1);
        PBRANGE range{};
        ::SendDlgItemMessageA(Dlg(), IDC_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iHigh, static_cast<int>(kSourceSize / 4096));
        EXPECT_EQ(::SendDlgItemMessageA(Dlg(), IDC_PROGRESS, PBM_GETPOS, 0, 0), range.iHigh);

        ASSERT_EQ(dlg.duringWork.size(), 1u);
        const auto& during = dlg.duringWork[0];
        // Close reads Stop and stays enabled.
        EXPECT_EQ(during.enabled, (std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE, TRUE}));
        EXPECT_EQ(during.closeText, "Stop");
        EXPECT_EQ(during.visible, std::vector<BOOL>(6, TRUE));
        EXPECT_TRUE(during.closeItemGrayed);
        EXPECT_EQ(during.busy, TRUE);
        const auto after = dlg.States();
        EXPECT_EQ(after.enabled, std::vector<BOOL>(6, TRUE));
        EXPECT_EQ(after.closeText, "Close");
        EXPECT_EQ(after.visible, std::vector<BOOL>(6, TRUE));
        EXPECT_FALSE(after.closeItemGrayed);
        EXPECT_EQ(after.busy, FALSE);
    }
};

TEST_F(JobTest, EncodeThenDecodeRestoresTheFile) {
    const test::Bytes original = test::PatternBytes(kSourceSize);
    test::WriteBytes(temp / "data.bin", original);
    const std::string encoded = temp.MakeFolder("encoded");
    const std::string decoded = temp.MakeFolder("decoded");
    DialogWatcher watcher;

    // The title bar's X and Alt+F4 are refused while the job works.
    dlg.onFirstPosition = [&] {
        ::SendMessageA(Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ::SendMessageA(Dlg(), WM_CLOSE, 0, 0);
    };
    RunJob(temp / "data.bin", encoded);
    ASSERT_NE(Dlg(), nullptr);
    ExpectFinishedWithFullBar();
    ASSERT_EQ(test::ListNames(encoded), std::vector<std::string>{"data.~mq"});

    dlg.onFirstPosition = nullptr;
    ::SendMessageA(Dlg(), WM_COMMAND, ID_FILE_DECODE, 0);
    RunJob(encoded + "/data.~mq", decoded);
    ExpectFinishedWithFullBar();
    ASSERT_EQ(test::ListNames(decoded), std::vector<std::string>{"data.bin"});
    EXPECT_EQ(test::ReadBytes(decoded + "/data.bin"), original);
    EXPECT_TRUE(watcher.TakeTexts().empty());
}

TEST_F(JobTest, RefusalOfTheFrameIsShownAndLeavesControlsEnabled) {
    test::WriteBytes(temp / "small.bin", test::PatternBytes(1000));
    DialogWatcher watcher;
    RunJob(temp / "small.bin", temp.Path());
    EXPECT_EQ(watcher.TakeTexts(), std::vector<std::string>{"Please select the file of length >= 1MB."});
    EXPECT_EQ(dlg.enableCalls, 1);  // only the enabling at the job's end
    EXPECT_EQ(dlg.States().enabled, std::vector<BOOL>(6, TRUE));
    EXPECT_EQ(dlg.IsBusy(), FALSE);
    EXPECT_EQ(test::ListNames(temp.Path()), std::vector<std::string>{"small.bin"});
}

// What the job returned reaches the dialog with its outcome, and the two
// agree: the line tells what the job says it did.
TEST_F(JobTest, TheJobsResultAgreesWithTheLine) {
    const struct {
        std::size_t size;
        std::uint32_t result;
        std::string line;
    } cases[] = {
        {kSourceSize, kJobDone, "Encoded into \"" + WindowsPath(temp.Path()) + "\\data.~mq\""},
        {1000, kJobStopped, "Encoding failed; nothing was written."},
    };
    DialogWatcher watcher;
    for (const auto& c : cases) {
        test::WriteBytes(temp / "data.bin", test::PatternBytes(c.size));
        RunJob(temp / "data.bin", temp.Path());
        ASSERT_NE(dlg.JobRelay(), nullptr);
        EXPECT_EQ(dlg.JobRelay()->Result(), c.result) << c.size;
        EXPECT_EQ(dlg.ResultText(), c.line) << c.size;
        EXPECT_EQ(dlg.Phase(), JobPhase::Idle) << c.size;
        ::DeleteFileA((temp / "data.~mq").c_str());
    }
}

TEST_F(JobTest, PressWhileTheWorkerLivesStartsNothing) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");
    // The job is in its checks: the button is still enabled.
    dlg.onBusy = [&] { Click(Dlg(), IDOK); };
    RunJob(temp / "data.bin", out);
    EXPECT_EQ(dlg.busyCalls, 1);
    EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"data.~mq"});
}

// A press while the worker of a job that has handed the dialog back is
// still returning starts the next job once it has returned.
TEST_F(JobTest, PressWhileTheLastWorkerReturnsStartsTheNextJob) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");
    JobHold returning;
    dlg.HoldWorkersAfterTheirJob(&returning);
    SetControlText(Dlg(), IDC_SOURCE_PATH, temp / "data.bin");
    SetControlText(Dlg(), IDC_TARGET_FOLDER, out);
    Click(Dlg(), IDOK);
    const auto first = dlg.JobRelay();
    // The controls are back, the worker is held before it counts as finished.
    ASSERT_TRUE(PumpUntil([&] { return returning.reached && dlg.enableCalls == 2; }));
    EXPECT_FALSE(dlg.IsBusy());
    EXPECT_EQ(dlg.States().enabled, std::vector<BOOL>(6, TRUE));
    dlg.HoldWorkersAfterTheirJob(nullptr);

    Click(Dlg(), IDOK);
    EXPECT_EQ(dlg.busyCalls, 1);
    EXPECT_EQ(dlg.JobRelay(), first);
    returning.Open();
    ASSERT_TRUE(PumpUntil([&] { return dlg.busyCalls == 2 && !dlg.IsWorkerAlive(); }));
    EXPECT_NE(dlg.JobRelay(), first);
    EXPECT_EQ(test::ListNames(out), (std::vector<std::string>{"data (2).~mq", "data.~mq"}));
}

// The end of the session waits for the job itself here, not for the
// product's few seconds, so the outcome does not depend on the machine's load.
TEST_F(JobTest, EndOfTheSessionStopsTheJobAndWaitsForItsCleanUp) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");
    OutputGate gate;
    dlg.UsePlatform(&gate);
    dlg.WaitWholeJobAtEndOfSession();
    SetControlText(Dlg(), IDC_SOURCE_PATH, temp / "data.bin");
    SetControlText(Dlg(), IDC_TARGET_FOLDER, out);
    DialogWatcher watcher;
    Click(Dlg(), IDOK);
    const auto job = dlg.JobRelay();
    gate.hold.job = job.get();
    ASSERT_TRUE(PumpUntil([&] { return gate.hold.reached.load(); }));

    // A session that goes on after all changes nothing.
    ::SendMessageA(Dlg(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(dlg.IsWorkerAlive());
    // The process may end the moment the handler returns: by then the worker
    // has returned and left nothing behind.
    ::SendMessageA(Dlg(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(job->WorkerReturned());
    EXPECT_FALSE(dlg.IsWorkerAlive());
    EXPECT_TRUE(test::ListNames(out).empty());
    EXPECT_TRUE(watcher.TakeTexts().empty());
    EXPECT_EQ(dlg.States().enabled, std::vector<BOOL>(6, TRUE));
    EXPECT_EQ(dlg.ResultText(), "Stopped; nothing was written.");
}

TEST_F(JobTest, EndOfTheSessionWhileAJobsMessageShowsLetsTheJobEnd) {
    // Refused in the job's checks: the worker waits while its message shows.
    test::WriteBytes(temp / "small.bin", test::PatternBytes(100));
    dlg.WaitWholeJobAtEndOfSession();
    SetControlText(Dlg(), IDC_SOURCE_PATH, temp / "small.bin");
    SetControlText(Dlg(), IDC_TARGET_FOLDER, temp.Path());
    Click(Dlg(), IDOK);
    const auto job = dlg.JobRelay();
    std::atomic<bool> boxSeen{false};
    std::atomic<bool> finishedWhenHandled{false};
    std::thread session([&] {
        const HWND box = WaitForDialog(Dlg());
        boxSeen = box != nullptr;
        // The dialog's thread handles it in the message box's own loop.
        ::SendMessageA(Dlg(), WM_ENDSESSION, TRUE, 0);
        finishedWhenHandled = job->WorkerReturned();
        if (box != nullptr) ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    const bool ended = PumpUntil([&] { return !dlg.IsWorkerAlive(); });
    session.join();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(finishedWhenHandled);
    EXPECT_EQ(dlg.States().enabled, std::vector<BOOL>(6, TRUE));
    EXPECT_EQ(dlg.IsBusy(), FALSE);
}

// The dialog closed while its job is surely in its checks: the job is held
// in its free-space query until the dialog has gone. It then ends without
// output: nothing under a final name, no temporary, no message, and no call
// reaches the dialog after its window has gone.
TEST(JobClosingTest, ClosingDuringTheChecksLeavesNoOutput) {
    test::TempFolder temp;
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    const std::string out = temp.MakeFolder("out");
    ChecksGate gate;  // outlives the worker, which uses it
    auto dlg = std::make_unique<CRecordingCodecDlg>();
    ASSERT_TRUE(dlg->Create());
    dlg->UsePlatform(&gate);
    const HWND window = dlg->m_hWnd;
    SetControlText(window, IDC_SOURCE_PATH, temp / "data.bin");
    SetControlText(window, IDC_TARGET_FOLDER, out);
    DialogWatcher watcher;
    Click(window, IDOK);
    const auto job = dlg->JobRelay();
    ASSERT_TRUE(PumpUntil([&] { return gate.hold.reached.load() && dlg->busyCalls == 1; }));

    Click(window, IDCANCEL);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window); }));
    const int callsWhenGone = dlg->hostCalls;
    gate.hold.Open();
    ASSERT_TRUE(PumpUntil([&] { return job->WorkerReturned(); }));
    // Whatever the worker posted before it returned is handled now.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    EXPECT_EQ(dlg->hostCalls, callsWhenGone) << "the job reached the dialog after its window had gone";
    EXPECT_FALSE(gate.created) << "the job created an output";
    EXPECT_TRUE(test::ListNames(out).empty()) << "no output under a final name, no temporary";
    EXPECT_TRUE(watcher.TakeTexts().empty());
    dlg.reset();
}

}  // namespace
}  // namespace morvane::gui_test
