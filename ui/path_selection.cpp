// The pickers beside the two path fields, and files dropped on the window.
// A confirmed choice or a drop replaces one member, and both members are
// then written back into the fields, having first been read from them: text
// typed into the other field survives. Cancelling changes nothing.
#include "codec_dlg.h"

#include <shlobj.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "path_text.h"
#include "resource.h"
#include "win/app.h"
#include "win/file_dialog.h"

namespace {

constexpr char kEncodeFilter[] = "All Files (*.*)|*.*|";
constexpr char kDecodeFilter[] = "Encoded Files (*.~mq)|*.~mq|All Files (*.*)|*.*||";
// Only an existing file can be confirmed; the overwrite prompt belongs to
// save dialogs and changes nothing here.
constexpr DWORD kSourceFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST;
constexpr wchar_t kBrowseTitle[] = L"Browse for Folder";
// The display name the browser writes, then the chosen folder's path.
constexpr std::size_t kFolderBufferSize = 1024 + 1;

struct CoTaskMemFreer {
    void operator()(void* memory) const { ::CoTaskMemFree(memory); }
};

}  // namespace

void CCodecDlg::OnBrowseSource() {
    // No initial folder, file name or title: the system's defaults apply.
    CFileDialog dialog(TRUE, nullptr, nullptr, kSourceFlags, m_bEncodeMode ? kEncodeFilter : kDecodeFilter, this);
    const INT_PTR answer = dialog.DoModal();
    // What was handed over while the picker showed is acted on now.
    PostPendingStarts();
    if (answer != IDOK) return;
    UpdateData(true);
    m_strSourcePath = dialog.GetPathName();
    UpdateData(false);
}

void CCodecDlg::OnBrowseFolder() {
    AfxEnsureComInitialized();
    wchar_t path[kFolderBufferSize] = {};
    BROWSEINFOW request{};
    request.hwndOwner = m_hWnd;
    request.pidlRoot = nullptr;  // the whole shell namespace
    request.pszDisplayName = path;
    request.lpszTitle = kBrowseTitle;
    request.ulFlags = 0;  // every item can be chosen
    request.lpfn = BrowseFolderCallback;
    request.lParam = reinterpret_cast<LPARAM>(this);
    using Item = std::remove_pointer_t<decltype(::SHBrowseForFolderW(&request))>;
    const std::unique_ptr<Item, CoTaskMemFreer> item(::SHBrowseForFolderW(&request));
    PostPendingStarts();
    if (!item) return;

    UpdateData(true);
    // An item outside the file system (the computer, the network) has no
    // path; the buffer then holds only its display name, and the field keeps
    // its text.
    if (!::SHGetPathFromIDListW(item.get(), path)) return;
    m_strTargetFolder = morvane::NarrowToUtf8(path);
    UpdateData(false);
}

void CCodecDlg::OnDropFiles(HDROP hDropInfo) {
    struct DropFinisher {
        HDROP drop;
        ~DropFinisher() { ::DragFinish(drop); }
    } finisher{hDropInfo};
    // The fields are the job's until its worker has returned; files
    // dropped while several run join them.
    if (Phase() != JobPhase::Idle && !m_bQueueRunning) return;
    const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        name.resize(::DragQueryFileW(hDropInfo, i, name.data(), length + 1));
        if (!name.empty()) paths.push_back(morvane::NarrowToUtf8(name));
    }
    if (!paths.empty()) ApplyStart(paths, true);
}

// Preselects the folder the field shows on screen, typed or not.
int CALLBACK CCodecDlg::BrowseFolderCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData) {
    const auto* dialog = reinterpret_cast<const CCodecDlg*>(lpData);
    if (hWnd == nullptr || uMsg != BFFM_INITIALIZED || dialog == nullptr || dialog->m_hWnd == nullptr) return 0;
    const HWND folder = dialog->GetDlgItem(IDC_TARGET_FOLDER);
    if (folder == nullptr) return 0;
    try {
        const std::wstring text = morvane::WidenUtf8(UnquotedPath(GetWindowTextString(folder)));
        ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    } catch (...) {
        // Out of memory for the text: the browser keeps its own selection.
    }
    return 0;
}
