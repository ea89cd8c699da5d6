// What a job shows on the taskbar button, recorded through a stand-in for
// the system's taskbar (Wine has none to look at): a normal bar that
// follows the job and is gone at its end, and red from a failure until its
// message box is closed.
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_support.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

constexpr ULONGLONG kBlocks = kSourceSize / 4096;

// Records the bar's states and values, and how many message boxes had
// been shown (and closed by the watcher) at each.
class CRecordingTaskbar final : public ITaskbarList3 {
public:
    struct Event {
        bool isState = false;
        TBPFLAG state = TBPF_NOPROGRESS;
        ULONGLONG completed = 0;
        ULONGLONG total = 0;
        std::size_t boxesBefore = 0;
    };
    CRecordingTaskbar(HWND dialog, DialogWatcher& watcher) : m_hDialog(dialog), m_watcher(watcher) {}

    std::vector<Event> events;
    std::vector<DialogWatcher::Seen> boxes;
    int references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG completed, ULONGLONG total) override {
        EXPECT_EQ(window, m_hDialog);
        events.push_back({false, TBPF_NOPROGRESS, completed, total, BoxesSoFar()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND window, TBPFLAG state) override {
        EXPECT_EQ(window, m_hDialog);
        events.push_back({true, state, 0, 0, BoxesSoFar()});
        return S_OK;
    }

    // Nothing else is used.
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }

private:
    std::size_t BoxesSoFar() {
        for (auto& seen : m_watcher.TakeSeen()) boxes.push_back(std::move(seen));
        return boxes.size();
    }
    HWND m_hDialog;
    DialogWatcher& m_watcher;
};

class TaskbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        taskbar = std::make_unique<CRecordingTaskbar>(dlg.m_hWnd, watcher);
        dlg.UseTaskbar(taskbar.get());
    }
    void TearDown() override {
        dlg.UseTaskbar(nullptr);
        EXPECT_EQ(taskbar->references, 1) << "the dialog keeps a reference it took";
    }

    test::TempFolder temp;
    DialogWatcher watcher;
    CRecordingCodecDlg dlg;
    std::unique_ptr<CRecordingTaskbar> taskbar;
};

TEST_F(TaskbarTest, BarFollowsAJobThatWorksAndIsGoneAtItsEnd) {
    test::WriteBytes(temp / "data.bin", test::PatternBytes(kSourceSize));
    ASSERT_TRUE(dlg.RunJob(temp / "data.bin", temp.MakeFolder("out")));
    EXPECT_TRUE(watcher.TakeTexts().empty());
    EXPECT_TRUE(taskbar->boxes.empty());

    const auto& events = taskbar->events;
    ASSERT_GE(events.size(), 4u);
    EXPECT_TRUE(events.front().isState);
    EXPECT_EQ(events.front().state, TBPF_NORMAL);
    ULONGLONG last = 0;
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        ASSERT_FALSE(events[i].isState) << "only values between the start and the end";
        EXPECT_EQ(events[i].total, kBlocks);
        EXPECT_LE(events[i].completed, kBlocks);
        EXPECT_GE(events[i].completed, last);
        last = events[i].completed;
    }
    EXPECT_EQ(last, kBlocks) << "the bar ends full";
    EXPECT_TRUE(events.back().isState);
    EXPECT_EQ(events.back().state, TBPF_NOPROGRESS);
}

// Several files: one bar for the whole queue, never going back, full at
// the end and gone only then.
TEST_F(TaskbarTest, BarOfAQueueFollowsAllItsFiles) {
    std::vector<std::string> paths;
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
        test::WriteBytes(temp / name, test::PatternBytes(kSourceSize));
        paths.push_back(WindowsPath(temp / name));
    }
    ::SendMessageW(dlg.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    ASSERT_TRUE(dlg.PressActionAndWait());
    ASSERT_TRUE(PumpUntil([&] { return !dlg.QueueRunning() && !dlg.IsWorkerAlive(); }));

    ULONGLONG last = 0;
    std::size_t cleared = 0;
    for (const auto& event : taskbar->events) {
        if (event.isState) {
            cleared += event.state == TBPF_NOPROGRESS ? 1 : 0;
            continue;
        }
        EXPECT_EQ(event.total, 3 * kBlocks);
        EXPECT_GE(event.completed, last);
        last = event.completed;
    }
    EXPECT_EQ(last, 3 * kBlocks) << "the bar ends full";
    EXPECT_EQ(cleared, 1u);
    EXPECT_EQ(taskbar->events.back().state, TBPF_NOPROGRESS);
}

TEST_F(TaskbarTest, FailureIsRedWhileItsMessageShowsAndGoneAfter) {
    // Refused by the frame (below 1 MiB) before any progress: a full red bar.
    test::WriteBytes(temp / "small.bin", test::PatternBytes(1000));
    ASSERT_TRUE(dlg.RunJob(temp / "small.bin", temp.Path()));
    for (auto& seen : watcher.TakeSeen()) taskbar->boxes.push_back(std::move(seen));
    ASSERT_EQ(taskbar->boxes.size(), 1u) << "one message";

    const auto& events = taskbar->events;
    std::size_t red = events.size();
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i].isState && events[i].state == TBPF_ERROR) red = i;
    ASSERT_LT(red, events.size()) << "no red bar";
    ASSERT_GE(red, 1u);
    EXPECT_FALSE(events[red - 1].isState);
    EXPECT_EQ(events[red - 1].completed, events[red - 1].total) << "red and full";
    EXPECT_EQ(events[red].boxesBefore, 0u) << "red before the message shows";
    ASSERT_LT(red + 1, events.size());
    EXPECT_TRUE(events[red + 1].isState);
    EXPECT_EQ(events[red + 1].state, TBPF_NOPROGRESS);
    EXPECT_EQ(events[red + 1].boxesBefore, 1u) << "cleared only once the message is closed";
    for (std::size_t i = red + 1; i < events.size(); ++i)
        EXPECT_TRUE(events[i].isState && events[i].state == TBPF_NOPROGRESS) << "event " << i;
}

}  // namespace
}  // namespace morvane::gui_test
