// Driving dialogs in tests: pumping the thread's messages, catching the
// boxes a dialog shows, and a main dialog that records what its job did.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec_dlg.h"
#include "platform.h"

namespace morvane::gui_test {

// Runs this thread's messages until `done` holds; false after `timeoutMs`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

// A control of the main dialog's template; the rectangle is x, y, width
// and height in dialog units.
struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    RECT dialogUnits;
    DWORD style;
};
extern const std::vector<ControlSpec> kCodecDialogControls;

// The built morvane.exe: <build>/app/morvane.exe beside <build>/tests/gui.
std::string ProgramPath();

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// A click on a button, as the button reports it.
void Click(HWND dialog, int id);

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
    std::vector<std::string> TakeTexts();

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self);
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::vector<Seen> m_seen;
    std::thread m_thread;
};

// The main dialog, recording what reaches it from its job.
class CRecordingCodecDlg : public CCodecDlg {
public:
    struct ControlStates {
        std::vector<BOOL> enabled;  // the six job controls
        bool closeItemGrayed = false;
        BOOL busy = FALSE;
    };
    static const std::vector<int> kJobControls;

    ControlStates States() const;

    void SetProgressPos(std::uint32_t position) override;
    void EnableJobControls(bool enable) override;

    std::vector<std::uint32_t> positions;      // as they reached the bar
    std::vector<ControlStates> duringWork;     // at the first position
    int enableCalls = 0;
    std::function<void()> onFirstPosition;     // runs once, mid-job
    std::function<void(HWND)> onInitDialog;

protected:
    BOOL OnInitDialog() override;
};

// The system's platform, but opening a source waits until the test lets it,
// and the end of the job (the source closed) is signalled.
class GatedPlatform final : public Platform {
public:
    GatedPlatform();
    ~GatedPlatform() override;

    HANDLE opening;   // set when the worker asks for its source
    HANDLE release;   // set by the test to let it open
    HANDLE finished;  // set when the source is closed at the job's end
    std::atomic<int> opened{0};
    std::atomic<int> created{0};

    std::unique_ptr<File> OpenSource(const std::string& path) override;
    bool ProbeName(const std::string& path) override { return m_real.ProbeName(path); }
    CreateResult CreateOutput(const std::string& path) override;
    PathParts SplitPath(const std::string& path) override { return m_real.SplitPath(path); }
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override { return m_real.FreeSpace(folder); }
    bool RemoveFile(const std::string& path) override { return m_real.RemoveFile(path); }
    bool IsSeparator(char c) const override { return m_real.IsSeparator(c); }
    char PreferredSeparator() const override { return m_real.PreferredSeparator(); }
    std::time_t CurrentTime() override { return m_real.CurrentTime(); }

private:
    Platform& m_real = SystemPlatform();
};

}  // namespace morvane::gui_test
