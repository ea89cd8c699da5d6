// Times one encode job run directly on a worker thread, with a host that
// does nothing, against the same job started from the main dialog. Then, in
// rounds of their own, measures how long the dialog's thread is kept from
// its messages during a job: the probe that measures it wakes that thread
// 100 times a second, which costs the job time a waiting user does not.
//
//   dialog_bench SOURCE EMPTY_OUTPUT_FOLDER [ROUNDS]    (default: 5 rounds)
//
// Everything the job writes to the output folder is deleted after each run,
// outside the timed part, so the folder must start empty.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "block_transform.h"
#include "codec_dlg.h"
#include "job.h"
#include "resource.h"
#include "win/app.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The files of a folder, without "." and "..".
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

// Deletes what one run wrote; false when the run wrote nothing.
bool DeleteOutput(const std::string& folder) {
    const std::vector<std::string> names = FilesIn(folder);
    for (const std::string& name : names) ::DeleteFileA((folder + "\\" + name).c_str());
    return !names.empty();
}

// The least a job needs from its host, as the command-line tool gives it.
class CQuietHost final : public morvane::JobHost {
public:
    bool HasWindow() const override { return true; }
    void SetBusy(bool) override {}
    void EnableJobControls(bool) override {}
    void SetProgressRange(std::uint32_t) override {}
    void SetProgressStep(std::uint32_t) override {}
    void SetProgressPos(std::uint32_t) override {}
    void ShowMessage(const std::string& text) override { m_strMessage = text; }

    std::string m_strMessage;  // a failed job's message
};

// The main dialog, with a failed job's message kept instead of shown: a box
// would wait for a user the benchmark does not have.
// It also notes when the job gives the controls back: the loop below only
// sees that at its next message; and how long the dialog's own steps took.
class CBenchCodecDlg final : public CCodecDlg {
public:
    void ShowMessage(const std::string& text) override { m_strMessage = text; }
    void EnableJobControls(bool enable) override {
        const Clock::time_point start = Clock::now();
        CCodecDlg::EnableJobControls(enable);
        const Clock::time_point end = Clock::now();
        (enable ? m_enableMs : m_disableMs) = std::chrono::duration<double, std::milli>(end - start).count();
        if (enable) m_enabledAt = end;
    }
    void SetBusy(bool busy) override {
        if (!busy) m_notBusyAt = Clock::now();
        CCodecDlg::SetBusy(busy);
    }
    bool ControlsEnabled() const { return ::IsWindowEnabled(GetDlgItem(IDOK)) != FALSE; }

    std::string m_strMessage;
    Clock::time_point m_enabledAt;
    Clock::time_point m_notBusyAt;  // when the dialog took the job's end
    double m_disableMs = 0;
    double m_enableMs = 0;
};

// Fails the benchmark with the job's message.
[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "dialog_bench: %s\n", what.c_str());
    std::exit(1);
}

double RunDirect(const std::string& source, const std::string& folder) {
    CQuietHost host;
    auto* request = new morvane::JobRequest;  // the worker deletes it
    request->host = &host;
    request->sourcePath = source;
    request->targetFolder = folder;
    std::uint32_t result = 0;
    const Clock::time_point start = Clock::now();
    std::thread worker([&] { result = morvane::EncodeThreadProc(request); });
    worker.join();
    const double seconds = SecondsSince(start);
    if (result != morvane::kJobDone) Fail("direct job failed: " + host.m_strMessage);
    return seconds;
}

// Posts a probe to the dialog's thread every 10 ms, carrying the time it was
// posted, so the thread's loop can tell how long each one waited.
constexpr UINT WM_PROBE = WM_APP + 0x100;

class CProbe {
public:
    CProbe(DWORD threadId, Clock::time_point epoch)
        : m_thread([this, threadId, epoch] {
              while (!m_bStop) {
                  const auto micros =
                      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - epoch).count();
                  ::PostThreadMessageA(threadId, WM_PROBE, 0, static_cast<LPARAM>(micros));
                  ::Sleep(10);
              }
          }) {}
    ~CProbe() {
        m_bStop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

struct DialogRun {
    double seconds = 0;
    double jobSeconds = 0;  // until the dialog took the job's end, before enabling the controls
    double disableMs = 0;   // the dialog's thread disabling the controls, while the job runs
    double enableMs = 0;    // and enabling them, once it has ended
    double worstProbeMs = 0;  // longest a probe waited in the queue
    double worstGapMs = 0;    // longest time between two messages taken
};

DialogRun RunInDialog(CBenchCodecDlg& dlg, const std::string& source, const std::string& folder, bool probed) {
    const HWND window = dlg.m_hWnd;
    ::SetDlgItemTextA(window, IDC_SOURCE_PATH, source.c_str());
    ::SetDlgItemTextA(window, IDC_TARGET_FOLDER, folder.c_str());
    dlg.m_strMessage.clear();
    dlg.m_enabledAt = {};

    DialogRun run;
    const Clock::time_point epoch = Clock::now();
    std::optional<CProbe> probe;
    if (probed) probe.emplace(::GetCurrentThreadId(), epoch);
    const Clock::time_point start = Clock::now();
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, IDOK)));
    Clock::time_point lastTaken = Clock::now();
    // The job has ended once its worker has returned and the dialog has
    // enabled its controls again; the probes wake the loop to see it.
    while (dlg.IsWorkerAlive() || dlg.IsBusy() || !dlg.ControlsEnabled()) {
        MSG msg;
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) Fail("quit request during the job");
        // The gap includes the handling of the message before: the thread
        // takes no other message meanwhile.
        const Clock::time_point taken = Clock::now();
        run.worstGapMs = std::max(run.worstGapMs, std::chrono::duration<double, std::milli>(taken - lastTaken).count());
        lastTaken = taken;
        if (msg.message == WM_PROBE && msg.hwnd == nullptr) {
            const auto posted = epoch + std::chrono::microseconds(static_cast<std::uint32_t>(msg.lParam));
            run.worstProbeMs =
                std::max(run.worstProbeMs, std::chrono::duration<double, std::milli>(taken - posted).count());
            continue;
        }
        if (!dlg.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    run.seconds = std::chrono::duration<double>(dlg.m_enabledAt - start).count();
    run.jobSeconds = std::chrono::duration<double>(dlg.m_notBusyAt - start).count();
    run.disableMs = dlg.m_disableMs;
    run.enableMs = dlg.m_enableMs;
    if (!dlg.m_strMessage.empty()) Fail("dialog job failed: " + dlg.m_strMessage);
    return run;
}

// Jobs from the dialog with the probe running.
constexpr int kProbedRounds = 5;

// Takes the probes still queued, so the next run starts with none.
void DrainProbes() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_PROBE, WM_PROBE, PM_REMOVE)) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: dialog_bench SOURCE EMPTY_OUTPUT_FOLDER [ROUNDS]\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string folder = argv[2];
    const int rounds = argc == 4 ? std::atoi(argv[3]) : 5;
    if (rounds < 1) Fail("rounds must be 1 or more");
    if (::GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) Fail("no source " + source);
    if (!FilesIn(folder).empty()) Fail("output folder is not empty: " + folder);
    morvane::UseKernel(morvane::ChooseKernel(std::getenv("MORVANE_KERNEL")));

    CWinApp().Enable3dControls();
    CBenchCodecDlg dlg;
    if (!dlg.Create()) Fail("the dialog could not be made");

    // One untimed job, so the source is read from the cache in every round.
    RunDirect(source, folder);
    DeleteOutput(folder);

    std::vector<double> direct;
    std::vector<double> dialog;
    std::vector<double> dialogJob;
    std::vector<double> disableMs;
    std::vector<double> enableMs;
    for (int round = 0; round < rounds; ++round) {
        // Rounds alternate which job goes first, so a slow spell of the
        // machine does not always fall on the same one.
        for (int i = 0; i < 2; ++i) {
            const bool dialogTurn = (round + i) % 2 == 1;
            if (dialogTurn) {
                const DialogRun run = RunInDialog(dlg, source, folder, false);
                dialog.push_back(run.seconds);
                dialogJob.push_back(run.jobSeconds);
                disableMs.push_back(run.disableMs);
                enableMs.push_back(run.enableMs);
            } else {
                direct.push_back(RunDirect(source, folder));
            }
            if (!DeleteOutput(folder)) Fail("the job wrote nothing");
            std::printf("round %d: %s %.3f s\n", round + 1, dialogTurn ? "dialog" : "direct",
                        dialogTurn ? dialog.back() : direct.back());
            std::fflush(stdout);
        }
    }
    std::vector<double> probed;
    double worstProbeMs = 0;
    double worstGapMs = 0;
    for (int round = 0; round < kProbedRounds; ++round) {
        const DialogRun run = RunInDialog(dlg, source, folder, true);
        probed.push_back(run.seconds);
        worstProbeMs = std::max(worstProbeMs, run.worstProbeMs);
        worstGapMs = std::max(worstGapMs, run.worstGapMs);
        DrainProbes();
        if (!DeleteOutput(folder)) Fail("the job wrote nothing");
    }
    ::DestroyWindow(dlg.m_hWnd);

    const double directMedian = Median(direct);
    const double dialogMedian = Median(dialog);
    std::printf("encode, %d rounds, median wall time\n", rounds);
    std::printf("  direct job on a worker   %8.3f s\n", directMedian);
    std::printf("  job from the dialog      %8.3f s   %.3fx direct\n", dialogMedian, dialogMedian / directMedian);
    // The two jobs of a round ran back to back: their ratio is the least
    // touched by the machine's slow spells.
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) ratios.push_back(dialog[round] / direct[round]);
    std::printf("  median of the rounds' ratios      %.3fx direct\n", Median(ratios));
    // Where the dialog's time goes: its thread disables the controls while
    // the job runs, sharing the processor with it, and enables them after.
    std::printf("  the job until the dialog took its end %.3f s   %.3fx direct\n", Median(dialogJob),
                Median(dialogJob) / directMedian);
    std::printf("  dialog's thread: disabling the controls %.1f ms, enabling them %.1f ms (medians)\n",
                Median(disableMs), Median(enableMs));
    std::printf("dialog thread during %d more jobs from the dialog, a probe posted every 10 ms:\n", kProbedRounds);
    std::printf("  worst wait of a probe %.1f ms, worst gap between two messages %.1f ms\n", worstProbeMs,
                worstGapMs);
    std::printf("  median wall time with the probe %.3f s   %.3fx direct\n", Median(probed),
                Median(probed) / directMedian);
    return 0;
}
