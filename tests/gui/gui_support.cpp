#include "gui_support.h"

#include <utility>

#include "resource.h"

namespace morvane::gui_test {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // kept for the test to see
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

namespace {
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr DWORD kPathEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
}  // namespace

const std::vector<ControlSpec> kCodecDialogControls = {
    {IDC_SOURCE_LABEL, "Static", "File to encode:", {7, 7, 116, 8}, kLabel},
    {IDC_SOURCE_PATH, "Edit", "", {7, 17, 172, 14}, kPathEdit},
    {IDC_BROWSE_SOURCE, "Button", "...", {183, 17, 18, 14}, kButton | BS_ICON},
    {IDC_FOLDER_LABEL, "Static", "Encode the file into the folder:", {7, 36, 143, 8}, kLabel},
    {IDC_TARGET_FOLDER, "Edit", "", {7, 48, 172, 14}, kPathEdit},
    {IDC_BROWSE_FOLDER, "Button", "...", {183, 48, 18, 14}, kButton | BS_ICON},
    {IDC_PROGRESS_LABEL, "Static", "Encoding progress:", {7, 68, 218, 8}, kLabel},
    {IDC_PROGRESS, "msctls_progress32", "", {7, 79, 194, 14}, WS_CHILD | WS_VISIBLE | WS_BORDER | PBS_SMOOTH},
    {IDOK, "Button", "Encode", {217, 7, 50, 14}, kButton},  // not the default push button
    {IDCANCEL, "Button", "Close", {217, 25, 50, 14}, kButton},
};

std::string ProgramPath() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    for (int i = 0; i < 3; ++i) path.erase(path.find_last_of('\\'));
    return path + "\\app\\morvane.exe";
}

std::string ControlText(HWND dialog, int id) {
    return GetWindowTextString(::GetDlgItem(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    ::SetDlgItemTextA(dialog, id, text.c_str());
}

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

namespace {

// A window's text without waiting on a thread that does not answer.
std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                          &length);
    return text;
}

}  // namespace

DialogWatcher::DialogWatcher() {
    m_thread = std::thread([this] {
        while (!m_bStop) {
            ::EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            ::Sleep(20);
        }
    });
}

DialogWatcher::~DialogWatcher() {
    m_bStop = true;
    m_thread.join();
}

BOOL CALLBACK DialogWatcher::Visit(HWND window, LPARAM self) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (process != ::GetCurrentProcessId() || std::string(className) != "#32770" || !::IsWindowVisible(window) ||
        ::GetWindow(window, GW_OWNER) == nullptr)
        return TRUE;
    auto* watcher = reinterpret_cast<DialogWatcher*>(self);
    const HWND message = ::GetDlgItem(window, 0xFFFF);
    Seen seen{TextOf(window), message ? TextOf(message) : std::string()};
    {
        std::lock_guard lock(watcher->m_mutex);
        watcher->m_seen.push_back(seen);
    }
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    // Not seen twice while it closes.
    for (int i = 0; i < 200 && ::IsWindow(window) && ::IsWindowVisible(window); ++i) ::Sleep(10);
    return TRUE;
}

std::vector<DialogWatcher::Seen> DialogWatcher::TakeSeen() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_seen, {});
}

std::vector<std::string> DialogWatcher::TakeTexts() {
    std::vector<std::string> texts;
    for (const Seen& seen : TakeSeen()) texts.push_back(seen.text);
    return texts;
}

const std::vector<int> CRecordingCodecDlg::kJobControls = {IDC_SOURCE_PATH,   IDC_BROWSE_SOURCE, IDC_TARGET_FOLDER,
                                                           IDC_BROWSE_FOLDER, IDOK,              IDCANCEL};

CRecordingCodecDlg::ControlStates CRecordingCodecDlg::States() const {
    ControlStates states;
    for (const int id : kJobControls) states.enabled.push_back(::IsWindowEnabled(GetDlgItem(id)));
    const UINT close = ::GetMenuState(::GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
    states.closeItemGrayed = (close & MF_GRAYED) != 0;
    states.busy = IsBusy();
    return states;
}

void CRecordingCodecDlg::SetProgressPos(std::uint32_t position) {
    positions.push_back(position);
    CCodecDlg::SetProgressPos(position);
    if (positions.size() == 1) {
        duringWork.push_back(States());
        if (onFirstPosition) onFirstPosition();
    }
}

void CRecordingCodecDlg::EnableJobControls(bool enable) {
    ++enableCalls;
    CCodecDlg::EnableJobControls(enable);
}

BOOL CRecordingCodecDlg::OnInitDialog() {
    const BOOL result = CCodecDlg::OnInitDialog();
    if (onInitDialog) onInitDialog(m_hWnd);
    return result;
}

namespace {

// A source that signals when the job lets go of it.
class SignallingFile final : public File {
public:
    SignallingFile(std::unique_ptr<File> real, HANDLE closed) : m_real(std::move(real)), m_closed(closed) {}
    ~SignallingFile() override {
        m_real.reset();
        ::SetEvent(m_closed);
    }
    std::size_t Read(void* buffer, std::size_t size) override { return m_real->Read(buffer, size); }
    void Write(const void* data, std::size_t size) override { m_real->Write(data, size); }
    void Rewind() override { m_real->Rewind(); }
    void Close() override { m_real->Close(); }
    std::int64_t Length() override { return m_real->Length(); }

private:
    std::unique_ptr<File> m_real;
    HANDLE m_closed;
};

}  // namespace

GatedPlatform::GatedPlatform()
    : opening(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      finished(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

GatedPlatform::~GatedPlatform() {
    ::CloseHandle(opening);
    ::CloseHandle(release);
    ::CloseHandle(finished);
}

std::unique_ptr<File> GatedPlatform::OpenSource(const std::string& path) {
    ++opened;
    ::SetEvent(opening);
    ::WaitForSingleObject(release, 30000);
    std::unique_ptr<File> real = m_real.OpenSource(path);
    if (!real) {
        ::SetEvent(finished);
        return nullptr;
    }
    return std::make_unique<SignallingFile>(std::move(real), finished);
}

CreateResult GatedPlatform::CreateOutput(const std::string& path) {
    ++created;
    return m_real.CreateOutput(path);
}

}  // namespace morvane::gui_test
