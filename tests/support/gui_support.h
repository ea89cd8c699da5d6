// Driving dialogs in tests: pumping the thread's messages, catching the
// boxes a dialog shows, and a main dialog that records what its job did.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec_dlg.h"
#include "test_files.h"

namespace morvane::gui_test {

// Runs this thread's messages until `done` holds; false after `timeoutMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

// The built morvane.exe: <build>/app/morvane.exe beside <build>/tests/gui.
std::string ProgramPath();

// A control's text, in UTF-8 either way.
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// A click on a button, as the button reports it.
void Click(HWND dialog, int id);
// The same click posted, for a dialog whose modal loop the caller is not in.
void Press(HWND dialog, int id);

// A path with '\\' separators, as the shell gives it.
std::string WindowsPath(std::string path);
// A drop as Explorer makes it: a DROPFILES block with wide names. The
// window it is sent to frees it.
HDROP MakeDrop(const std::vector<std::string>& paths);

// The visible top-level windows of a process, this one by default.
std::vector<HWND> TopLevelWindows(DWORD process = ::GetCurrentProcessId());
// True for a window of the system's dialog class (message boxes, pickers).
bool IsDialogWindow(HWND window);
// The visible dialog of this process that `owner` owns, with the caption
// when one is given, once it is there; null after about 20 s.
HWND WaitForDialog(HWND owner, const char* caption = nullptr);
void WaitUntilClosed(HWND window);

// Watches for dialogs with an owner (message boxes, the About box) shown by
// this process, records their caption and message, and closes them with OK.
class DialogWatcher {
public:
    struct Seen {
        std::string caption;
        std::string text;  // a message box's message; empty for others
    };
    DialogWatcher();
    ~DialogWatcher();
    std::vector<Seen> TakeSeen();
    // The message boxes' messages.
    std::vector<std::string> TakeTexts();
    // The button each box is answered with (IDYES, IDNO for a question).
    std::atomic<int> answer{IDOK};

private:
    void Visit(HWND window);
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::vector<Seen> m_seen;
    std::thread m_thread;
};

// Holds a job at a point of its work until the test opens the hold or, once
// `job` is set, the dialog asks that job to stop, so the test acts while the
// job surely is there. A hold still shut after a minute lets the job go,
// so that the test ends, and fails the test: the job went on without it.
class JobHold {
public:
    ~JobHold() {
        Open();
        while (m_nInside > 0) ::Sleep(1);
        EXPECT_FALSE(m_bTimedOut) << "a held job was let go after a minute, not by the test";
    }
    // Called by the job where it is to be held.
    void Hold() {
        ++m_nInside;
        reached = true;
        const ULONGLONG limit = ::GetTickCount64() + kLimitMs;
        while (!m_bOpen && !Released()) {
            if (::GetTickCount64() >= limit) {
                m_bTimedOut = true;
                break;
            }
            ::Sleep(1);
        }
        --m_nInside;
    }
    void Open() { m_bOpen = true; }

    std::atomic<const CJobRelay*> job{nullptr};  // the held job's relay
    std::atomic<bool> reached{false};

private:
    static constexpr ULONGLONG kLimitMs = 60000;
    bool Released() const {
        const CJobRelay* held = job;
        return held != nullptr && held->Cancelled();
    }
    std::atomic<bool> m_bOpen{false};
    std::atomic<bool> m_bTimedOut{false};
    std::atomic<int> m_nInside{0};
};

// The main dialog, recording what reaches it from its job.
class CRecordingCodecDlg : public CCodecDlg {
public:
    struct ControlStates {
        std::vector<BOOL> enabled;  // the six job controls
        std::vector<BOOL> visible;  // the same: holding off their redrawing must not hide them
        bool closeItemGrayed = false;
        std::string closeText;  // of the Close button
        BOOL busy = FALSE;
    };
    static const std::vector<int> kJobControls;

    ControlStates States() const;
    // Presses the action button on the fields as they are and waits until
    // the job's worker has returned; false when it has not within 30 s.
    bool PressActionAndWait();
    // The same after typing the two paths.
    bool RunJob(const std::string& source, const std::string& folder);
    // The job's progress goes to `taskbar` instead of the system's button.
    void UseTaskbar(ITaskbarList3* taskbar) { m_taskbar.Attach(taskbar); }
    // The jobs reach the file system through `platform`.
    void UsePlatform(morvane::Platform* platform) { m_pJobPlatform = platform; }
    // Each worker started from now on is held by `hold` once its job has
    // returned; null: none.
    void HoldWorkersAfterTheirJob(JobHold* hold) {
        m_onWorkerReturned = hold ? std::function<void()>([hold] { hold->Hold(); }) : nullptr;
    }
    // The end of the session waits for the stopped job itself, not a few
    // seconds, so that what it does next does not depend on the machine's load.
    void WaitWholeJobAtEndOfSession() { m_nEndSessionWaitMs = 60000; }
    // Show in Folder records the path here instead of opening Explorer.
    void RecordShowInFolder() {
        m_showInFolder = [this](const std::vector<std::string>& paths) {
            shownInFolder.insert(shownInFolder.end(), paths.begin(), paths.end());
        };
    }
    // The result line as it shows.
    std::string ShownResult() const;

    void SetBusy(bool busy) override;
    void SetProgressPos(std::uint32_t position) override;
    void EnableJobControls(bool enable) override;
    void SetProgressRange(std::uint32_t upper) override;
    void SetProgressStep(std::uint32_t step) override;
    void ShowMessage(const std::string& text) override;
    void OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) override;

    std::vector<std::string> shownInFolder; // by RecordShowInFolder
    std::vector<std::uint32_t> positions;   // as they reached the bar
    std::vector<ControlStates> duringWork;  // at the first position
    int busyCalls = 0;                      // jobs that began
    int enableCalls = 0;
    int hostCalls = 0;                      // every call of the job host
    std::function<void()> onBusy;           // when a job begins its checks
    std::function<void()> onFirstPosition;  // once the job transforms data
    std::function<void(HWND)> onInitDialog;

protected:
    BOOL OnInitDialog() override;
};

// The fixture most dialog tests share: a main dialog that records what its
// job did, made before each test, and a folder for its files that outlives
// the dialog.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    HWND Dlg() const { return dlg.m_hWnd; }
    // The progress bar's position.
    int BarPos() const;
    // File > Show in Folder as the menu shows it once the File popup opens.
    bool ShowInFolderEnabled() const;

    test::TempFolder temp;
    CRecordingCodecDlg dlg;
};

using test::kSourceSize;

}  // namespace morvane::gui_test
