// Several files in the main dialog: what a start's arguments (handed over as
// a later start hands them) put in the window, a queue run to its end
// through each of its courses, malformed hand-overs refused, and ten starts
// of the real program sharing one window.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "command_line.h"
#include "gui_support.h"
#include "hand_over_copy_data.h"
#include "resource.h"
#include "test_files.h"

namespace morvane::gui_test {
namespace {

// A source that holds its reader at its first block, once the job's
// controls are off, when its name ends with `heldName`.
class HeldSource final : public FileWrapper {
public:
    HeldSource(std::unique_ptr<File> file, JobHold& hold) : FileWrapper(std::move(file)), m_hold(hold) {}
    std::span<const std::uint8_t> ReadSpan(std::size_t size) override {
        if (!m_bHeld) m_hold.Hold();
        m_bHeld = true;
        return FileWrapper::ReadSpan(size);
    }

private:
    JobHold& m_hold;
    bool m_bHeld = false;
};

class HeldFile final : public PlatformWrapper {
public:
    explicit HeldFile(std::string heldName) : PlatformWrapper(SystemPlatform()), m_heldName(std::move(heldName)) {}
    std::unique_ptr<File> OpenSource(const std::string& path) override {
        std::unique_ptr<File> file = PlatformWrapper::OpenSource(path);
        if (!file || !path.ends_with(m_heldName)) return file;
        return std::make_unique<HeldSource>(std::move(file), hold);
    }
    JobHold hold;

private:
    std::string m_heldName;
};

class QueueTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (HasFatalFailure()) return;
        folder = WindowsPath(temp.Path());
        for (const char* name : {"a.bin", "b.bin", "c.bin"})
            test::WriteBytes(Path(name), test::PatternBytes(kSourceSize));
        // Too short to encode: its job fails with a message.
        test::WriteBytes(Path("short.bin"), test::PatternBytes(10));
        dlg.RecordShowInFolder();
    }
    std::string Path(const std::string& name) const { return folder + "\\" + name; }

    // A later start's arguments, as WM_COPYDATA brings them; the answer.
    LRESULT HandOver(const std::vector<std::string>& arguments) {
        const auto message = ui::EncodeHandOver(arguments);
        EXPECT_TRUE(message.has_value());
        return message ? SendBytes(*message) : FALSE;
    }
    LRESULT SendBytes(const std::vector<std::uint8_t>& bytes, ULONG_PTR id = kHandOverCopyDataId) {
        COPYDATASTRUCT data = HandOverCopyData(bytes);
        data.dwData = id;
        return ::SendMessageW(Dlg(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }
    // Until all that was handed over has been acted on and no job runs.
    bool Settle() {
        return PumpUntil([&] { return !dlg.StartsPending() && !dlg.QueueRunning() && !dlg.IsWorkerAlive(); });
    }
    void Drop(const std::vector<std::string>& paths) {
        ::SendMessageW(Dlg(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }
    std::vector<std::string> Outputs() const {
        std::vector<std::string> names;
        for (const std::string& name : test::ListNames(temp.Path()))
            if (name.ends_with(".~mq")) names.push_back(name);
        return names;
    }

    std::string folder;
};

// What the window shows after a start's arguments: mode, both fields, the
// button and the line.
TEST_F(QueueTest, CommandLinesFillTheWindow) {
    const std::string out = WindowsPath(temp.MakeFolder("out"));
    ASSERT_TRUE(dlg.RunJob(Path("a.bin"), out));
    const std::string container = dlg.ResultPath();
    const std::string second = WindowsPath(temp.MakeFolder("second"));
    struct Row {
        std::vector<std::string> arguments;
        bool encode;
        std::string source, folder, button, line;
    };
    const Row rows[] = {
        {{Path("a.bin")}, true, Path("a.bin"), folder, "Encode", ""},
        {{container}, false, container, out, "Decode", ""},
        {{Path("a.bin"), Path("b.bin")}, true, Path("a.bin"), folder, "Encode 2 files", ""},
        {{Path("a.bin"), "/folder:" + out, Path("b.bin")}, true, Path("a.bin"), out, "Encode 2 files", ""},
        {{out, Path("a.bin"), Path("b.bin")}, true, Path("a.bin"), out, "Encode 2 files", ""},
        {{Path("a.bin"), "/bogus", Path("none.bin"), out, Path("b.bin"), second},
         true,
         Path("a.bin"),
         out,
         "Encode 2 files",
         ui::UnusedArgumentsText({{"/bogus", ui::ArgumentProblem::UnknownSwitch},
                                  {Path("none.bin"), ui::ArgumentProblem::Missing},
                                  {second, ui::ArgumentProblem::SecondFolder}})},
        // Nothing left to start: no queue, the fields keep what they had,
        // the line says why.
        {{"/encode", Path("none.bin")},
         true,
         Path("a.bin"),
         out,
         "Encode",
         ui::UnusedArgumentsText({{Path("none.bin"), ui::ArgumentProblem::Missing}})},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(HandOver(row.arguments), TRUE);
        ASSERT_TRUE(Settle());
        const std::string name = row.arguments.front();
        EXPECT_EQ(dlg.IsEncodeMode() != FALSE, row.encode) << name;
        EXPECT_EQ(ControlText(Dlg(), IDC_SOURCE_PATH), row.source) << name;
        EXPECT_EQ(ControlText(Dlg(), IDC_TARGET_FOLDER), row.folder) << name;
        EXPECT_EQ(ControlText(Dlg(), IDOK), row.button) << name;
        EXPECT_EQ(dlg.ResultText(), row.line) << name;
        EXPECT_FALSE(dlg.IsBusy()) << name << ": nothing starts by itself";
    }
    // An edit of the file field, a single drop and a mode switch each
    // forget the waiting files.
    const std::pair<const char*, std::function<void()>> forgetting[] = {
        {"Encode", [&] { SetControlText(Dlg(), IDC_SOURCE_PATH, Path("c.bin")); }},
        {"Encode", [&] { Drop({Path("c.bin")}); }},
        {"Decode", [&] { ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_DECODE, 0); }},
    };
    for (const auto& [button, forget] : forgetting) {
        Drop({Path("a.bin"), Path("b.bin")});
        ASSERT_EQ(ControlText(Dlg(), IDOK), "Encode 2 files");
        forget();
        EXPECT_EQ(ControlText(Dlg(), IDOK), button);
    }
}

// A queue's courses to their end: the boxes it showed, the line, its tip of
// what each file became and what Show in Folder selects.
TEST_F(QueueTest, QueueRunsToItsEnd) {
    // The short file's own failure box, word for word, as one file shows it.
    std::string failure;
    {
        DialogWatcher watcher;
        ASSERT_TRUE(dlg.RunJob(Path("short.bin"), folder));
        const auto texts = watcher.TakeTexts();
        ASSERT_EQ(texts.size(), 1u);
        failure = texts.front();
    }
    struct Course {
        const char* name;
        std::vector<std::string> files;
        int answer;
        std::vector<std::string> boxes;
        std::vector<std::string> outputs;
        std::string line;
        std::string each;  // the line's tip
    };
    const std::string into = " into \"" + folder + "\"";
    const auto became = [&](const char* name, const char* output) {
        return std::string(name) + ": \"" + Path(output) + "\"";
    };
    const Course courses[] = {
        {"all written", {"a.bin", "b.bin", "c.bin"}, IDOK, {}, {"a.~mq", "b.~mq", "c.~mq"}, "Encoded 3 files" + into,
         became("a.bin", "a.~mq") + "\n" + became("b.bin", "b.~mq") + "\n" + became("c.bin", "c.~mq")},
        {"Yes after a failure",
         {"a.bin", "short.bin", "c.bin"},
         IDYES,
         {failure + "\n\nContinue with the remaining 1 file?"},
         {"a.~mq", "c.~mq"},
         "Encoded 2 of 3 files" + into + "; 1 failed",
         became("a.bin", "a.~mq") + "\nshort.bin: failed\n" + became("c.bin", "c.~mq")},
        {"No after a failure",
         {"a.bin", "short.bin", "b.bin", "c.bin"},
         IDNO,
         {failure + "\n\nContinue with the remaining 2 files?"},
         {"a.~mq"},
         "Encoded 1 of 4 files" + into + "; 1 failed, 2 not started",
         became("a.bin", "a.~mq") + "\nshort.bin: failed\nb.bin: not started\nc.bin: not started"},
        {"the last one fails: the plain box", {"a.bin", "short.bin"}, IDOK, {failure}, {"a.~mq"},
         "Encoded 1 of 2 files" + into + "; 1 failed", became("a.bin", "a.~mq") + "\nshort.bin: failed"},
    };
    for (const Course& course : courses) {
        for (const std::string& name : Outputs()) ::DeleteFileW(WidenUtf8(Path(name)).c_str());
        dlg.shownInFolder.clear();
        std::vector<std::string> paths;
        for (const std::string& name : course.files) paths.push_back(Path(name));
        DialogWatcher watcher;
        watcher.answer = course.answer;
        Drop(paths);
        ASSERT_EQ(ControlText(Dlg(), IDOK), "Encode " + std::to_string(paths.size()) + " files") << course.name;
        // New files: the list of the queue before goes with its line.
        EXPECT_EQ(dlg.ResultTip(), "") << course.name;
        ASSERT_TRUE(dlg.PressActionAndWait()) << course.name;
        ASSERT_TRUE(Settle()) << course.name;
        EXPECT_EQ(watcher.TakeTexts(), course.boxes) << course.name;
        EXPECT_EQ(Outputs(), course.outputs) << course.name;
        EXPECT_EQ(dlg.ResultText(), course.line) << course.name;
        EXPECT_EQ(dlg.ResultTip(), course.each) << course.name;
        EXPECT_EQ(ControlText(Dlg(), IDOK), "Encode") << course.name;
        ::SendMessageW(Dlg(), WM_COMMAND, ID_FILE_SHOW_IN_FOLDER, 0);
        std::vector<std::string> selected;
        for (const std::string& name : course.outputs) selected.push_back(Path(name));
        EXPECT_EQ(dlg.shownInFolder, selected) << course.name;
    }
    // One file after a queue: the line has no list.
    for (const std::string& name : Outputs()) ::DeleteFileW(WidenUtf8(Path(name)).c_str());
    ASSERT_TRUE(dlg.RunJob(Path("b.bin"), folder));
    EXPECT_EQ(dlg.ResultTip(), "");
}

// Stop on the second of three, and files joining while the first runs.
TEST_F(QueueTest, StopDropsTheRestAndFilesJoinTheEnd) {
    struct Course {
        const char* name;
        const char* held;
        bool stop;
        std::vector<std::string> joining;
        bool dropped;  // the joining files come in one drop, not handed over
        std::vector<std::string> outputs;
        std::string line;
    };
    const Course courses[] = {
        {"Stop on the second", "b.bin", true, {}, false, {"a.~mq"},
         "Stopped after 1 of 3 files; nothing was written for the rest."},
        {"two handed over while the first runs", "a.bin", false, {"b.bin", "c.bin"}, false,
         {"a.~mq", "b.~mq", "c.~mq"}, "Encoded 3 files into \"" + folder + "\""},
        {"two dropped while the first runs", "a.bin", false, {"b.bin", "c.bin"}, true, {"a.~mq", "b.~mq", "c.~mq"},
         "Encoded 3 files into \"" + folder + "\""},
    };
    for (const Course& course : courses) {
        for (const std::string& name : Outputs()) ::DeleteFileW(WidenUtf8(Path(name)).c_str());
        HeldFile platform(course.held);
        dlg.UsePlatform(&platform);
        const bool stopping = course.stop;
        using Arguments = std::vector<std::string>;
        ASSERT_EQ(HandOver(stopping ? Arguments{"/encode", Path("a.bin"), Path("b.bin"), Path("c.bin")}
                                    : Arguments{"/encode", Path("a.bin")}),
                  TRUE);
        ASSERT_TRUE(PumpUntil([&] { return platform.hold.reached && ControlText(Dlg(), IDCANCEL) == "Stop"; }))
            << course.name;
        std::vector<std::string> dropped;
        for (const std::string& name : course.joining) {
            if (course.dropped)
                dropped.push_back(Path(name));
            else
                ASSERT_EQ(HandOver({"/encode", Path(name)}), TRUE);
        }
        if (!dropped.empty()) Drop(dropped);
        ASSERT_TRUE(PumpUntil([&] { return !dlg.StartsPending(); }));
        if (stopping) {
            EXPECT_EQ(dlg.ResultText().rfind("File 2 of 3: ", 0), 0u) << dlg.ResultText();
            platform.hold.job = dlg.JobRelay().get();
            Click(Dlg(), IDCANCEL);
        } else {
            platform.hold.Open();
        }
        ASSERT_TRUE(Settle()) << course.name;
        EXPECT_EQ(Outputs(), course.outputs) << course.name;
        EXPECT_EQ(dlg.ResultText(), course.line) << course.name;
        dlg.UsePlatform(nullptr);
    }
}

// A hand-over while a modal box owns the window is taken at once and acted
// on once the box has closed.
TEST_F(QueueTest, HandOverDuringAModalBoxWaitsForIt) {
    struct Row {
        const char* name;
        WPARAM command;
    };
    const Row rows[] = {
        {"a refusal's box", MAKEWPARAM(IDOK, BN_CLICKED)},  // empty fields: "File not exist."
        {"the About box", ID_HELP_ABOUT},
    };
    for (const Row& row : rows) {
        SetControlText(Dlg(), IDC_SOURCE_PATH, "");
        std::atomic<LRESULT> answer{-1};
        std::atomic<bool> waited{false};
        std::thread sender([&] {
            const HWND box = WaitForDialog(Dlg());
            const auto message = ui::EncodeHandOver({Path("a.bin"), Path("b.bin")});
            COPYDATASTRUCT data = HandOverCopyData(*message);
            answer = ::SendMessageW(Dlg(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            // Still shown, and the files wait for it.
            waited = ::IsWindowVisible(box) && ControlText(Dlg(), IDOK) == "Encode";
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        ::SendMessageW(Dlg(), WM_COMMAND, row.command, 0);
        sender.join();
        EXPECT_EQ(answer.load(), TRUE) << row.name;
        EXPECT_TRUE(waited) << row.name;
        ASSERT_TRUE(Settle()) << row.name;
        EXPECT_EQ(ControlText(Dlg(), IDOK), "Encode 2 files") << row.name;
    }
}

// Malformed messages are refused and change nothing; a good one then works.
TEST_F(QueueTest, MalformedHandOversAreRefused) {
    const std::vector<std::uint8_t> good = *ui::EncodeHandOver({Path("a.bin"), Path("b.bin")});
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const auto count = [](std::uint32_t n) {
        std::vector<std::uint8_t> bytes = {'M', 'V', 'Q', 'A', 1, 0, 0, 0};
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        return bytes;
    };
    auto trailing = good;
    trailing.push_back(0);
    const std::vector<std::uint8_t> truncated(good.begin(), good.end() - 1);
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        ULONG_PTR id;
    };
    const Row rows[] = {
        {"wrong tag", changed(0, 'X'), kHandOverCopyDataId},
        {"wrong version", changed(4, 2), kHandOverCopyDataId},
        {"length beyond the end", changed(13, 0xFF), kHandOverCopyDataId},
        {"truncated", truncated, kHandOverCopyDataId},
        {"trailing bytes", trailing, kHandOverCopyDataId},
        {"not UTF-8", changed(16, 0xFF), kHandOverCopyDataId},
        {"empty list", count(0), kHandOverCopyDataId},
        {"absurd count", count(0xFFFFFFFFu), kHandOverCopyDataId},
        {"nothing at all", {}, kHandOverCopyDataId},
        {"data of another kind", good, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SendBytes(row.bytes, row.id), FALSE) << row.name;
        EXPECT_FALSE(dlg.StartsPending()) << row.name;
    }
    ASSERT_TRUE(Settle());
    EXPECT_EQ(ControlText(Dlg(), IDC_SOURCE_PATH), "");
    EXPECT_EQ(HandOver({Path("a.bin"), Path("b.bin")}), TRUE);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(ControlText(Dlg(), IDOK), "Encode 2 files");
}

// Ten starts of the program at once, one file each: one window takes them
// all and writes ten outputs; the rest hand over and end with status 0.
TEST(QueueProgramTest, TenStartsShareOneWindow) {
    test::TempFolder temp;
    const std::string folder = WindowsPath(temp.Path());
    std::vector<PROCESS_INFORMATION> processes(10);
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const std::string source = folder + "\\f" + std::to_string(i) + ".bin";
        test::WriteBytes(source, test::PatternBytes(kSourceSize, static_cast<std::uint32_t>(i + 1)));
    }
    for (std::size_t i = 0; i < processes.size(); ++i) {
        std::string commandLine =
            "\"" + ProgramPath() + "\" /encode \"" + folder + "\\f" + std::to_string(i) + ".bin\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &processes[i]));
    }
    const auto outputs = [&] {
        std::size_t n = 0;
        for (const std::string& name : test::ListNames(temp.Path())) n += name.ends_with(".~mq") ? 1 : 0;
        return n;
    };
    // Every start but one ends by itself; that one keeps its window.
    const auto ended = [&] {
        std::size_t n = 0;
        for (const PROCESS_INFORMATION& process : processes)
            n += ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 ? 1 : 0;
        return n;
    };
    const auto resultLine = [&](HWND window) {
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        ::SendMessageTimeoutW(::GetDlgItem(window, IDC_RESULT_LINE), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                              SMTO_ABORTIFHUNG, 5000, &copied);
        return NarrowToUtf8(text);
    };
    HWND window = nullptr;
    // A guard against a hang only: each step happens as soon as it can.
    EXPECT_TRUE(PumpUntil(
        [&] {
            if (ended() != processes.size() - 1 || outputs() != processes.size()) return false;
            for (const PROCESS_INFORMATION& process : processes)
                for (const HWND top : TopLevelWindows(process.dwProcessId))
                    if (::GetDlgItem(top, IDC_RESULT_LINE) != nullptr) window = top;
            return window != nullptr && resultLine(window).rfind("Encoded ", 0) == 0;
        },
        110000));
    EXPECT_EQ(outputs(), processes.size());
    EXPECT_EQ(ended(), processes.size() - 1);
    for (const PROCESS_INFORMATION& process : processes) {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_TRUE(code == 0 || code == STILL_ACTIVE) << code;
    }
    if (window != nullptr) ::PostMessageW(window, WM_CLOSE, 0, 0);
    for (const PROCESS_INFORMATION& process : processes) {
        // One left running would hold the first place for the tests after.
        if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "a start did not end";
            ::TerminateProcess(process.hProcess, 1);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

}  // namespace
}  // namespace morvane::gui_test
