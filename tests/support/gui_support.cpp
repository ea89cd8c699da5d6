#include "gui_support.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <iterator>
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

std::string ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string path = NarrowToUtf8(self);
    for (int i = 0; i < 3; ++i) path.erase(path.find_last_of('\\'));
    return path + "\\app\\morvane.exe";
}

std::string ControlText(HWND dialog, int id) {
    return GetWindowTextString(::GetDlgItem(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    SetWindowTextString(::GetDlgItem(dialog, id), text);
}

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths) names += WidenUtf8(path) + L'\0';
    names += L'\0';
    const std::size_t bytes = names.size() * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.data(), bytes);
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

namespace {

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == search->process && ::IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD process) {
    WindowSearch search{process, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsDialogWindow(HWND window) {
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770";
}

HWND WaitForDialog(HWND owner, const char* caption) {
    for (int i = 0; i < 1000; ++i) {
        for (const HWND window : TopLevelWindows()) {
            if (IsDialogWindow(window) && ::GetWindow(window, GW_OWNER) == owner &&
                (caption == nullptr || GetWindowTextString(window) == caption))
                return window;
        }
        ::Sleep(20);
    }
    return nullptr;
}

void WaitUntilClosed(HWND window) {
    for (int i = 0; i < 1000 && ::IsWindow(window); ++i) ::Sleep(10);
}

namespace {

// A window's text without waiting on a thread that does not answer.
std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          2000, &length);
    return NarrowToUtf8(text);
}

}  // namespace

DialogWatcher::DialogWatcher() {
    m_thread = std::thread([this] {
        while (!m_bStop) {
            for (const HWND window : TopLevelWindows()) Visit(window);
            ::Sleep(20);
        }
    });
}

DialogWatcher::~DialogWatcher() {
    m_bStop = true;
    m_thread.join();
}

void DialogWatcher::Visit(HWND window) {
    if (!IsDialogWindow(window) || ::GetWindow(window, GW_OWNER) == nullptr || !::IsWindowVisible(window)) return;
    const HWND message = ::GetDlgItem(window, 0xFFFF);
    Seen seen{TextOf(window), message ? TextOf(message) : std::string()};
    {
        std::lock_guard lock(m_mutex);
        m_seen.push_back(seen);
    }
    ::PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(answer.load()), 0);
    // Not seen twice while it closes.
    for (int i = 0; i < 200 && ::IsWindow(window) && ::IsWindowVisible(window); ++i) ::Sleep(10);
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
    for (const int id : kJobControls) {
        states.enabled.push_back(::IsWindowEnabled(GetDlgItem(id)));
        states.visible.push_back(::IsWindowVisible(GetDlgItem(id)));
    }
    const UINT close = ::GetMenuState(::GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
    states.closeItemGrayed = (close & MF_GRAYED) != 0;
    states.busy = IsBusy();
    states.closeText = ControlText(m_hWnd, IDCANCEL);
    return states;
}

std::string CRecordingCodecDlg::ShownResult() const {
    const HWND bar = GetDlgItem(IDC_RESULT_LINE);
    const auto length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return NarrowToUtf8(text);
}

bool CRecordingCodecDlg::PressActionAndWait() {
    Click(m_hWnd, IDOK);
    return PumpUntil([&] { return !IsWorkerAlive(); });
}

bool CRecordingCodecDlg::RunJob(const std::string& source, const std::string& folder) {
    SetControlText(m_hWnd, IDC_SOURCE_PATH, source);
    SetControlText(m_hWnd, IDC_TARGET_FOLDER, folder);
    return PressActionAndWait();
}

void CRecordingCodecDlg::SetBusy(bool busy) {
    ++hostCalls;
    CCodecDlg::SetBusy(busy);
    if (!busy) return;
    ++busyCalls;
    if (onBusy) onBusy();
}

void CRecordingCodecDlg::SetProgressPos(std::uint32_t position) {
    ++hostCalls;
    positions.push_back(position);
    CCodecDlg::SetProgressPos(position);
    if (positions.size() == 1) {
        duringWork.push_back(States());
        if (onFirstPosition) onFirstPosition();
    }
}

void CRecordingCodecDlg::EnableJobControls(bool enable) {
    ++hostCalls;
    ++enableCalls;
    CCodecDlg::EnableJobControls(enable);
}

void CRecordingCodecDlg::SetProgressRange(std::uint32_t upper) {
    ++hostCalls;
    CCodecDlg::SetProgressRange(upper);
}

void CRecordingCodecDlg::SetProgressStep(std::uint32_t step) {
    ++hostCalls;
    CCodecDlg::SetProgressStep(step);
}

void CRecordingCodecDlg::ShowMessage(const std::string& text) {
    ++hostCalls;
    CCodecDlg::ShowMessage(text);
}

void CRecordingCodecDlg::OutputWritten(const std::string& path, const std::string& temporaryNotRemoved) {
    ++hostCalls;
    CCodecDlg::OutputWritten(path, temporaryNotRemoved);
}

int DialogTest::BarPos() const {
    return static_cast<int>(::SendDlgItemMessageW(Dlg(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

bool DialogTest::ShowInFolderEnabled() const {
    const HMENU file = ::GetSubMenu(::GetMenu(Dlg()), 0);
    ::SendMessageW(Dlg(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    const UINT state = ::GetMenuState(file, ID_FILE_SHOW_IN_FOLDER, MF_BYCOMMAND);
    EXPECT_NE(state, static_cast<UINT>(-1));
    return (state & MF_GRAYED) == 0;
}

BOOL CRecordingCodecDlg::OnInitDialog() {
    const BOOL result = CCodecDlg::OnInitDialog();
    if (onInitDialog) onInitDialog(m_hWnd);
    return result;
}

}  // namespace morvane::gui_test
