#include "show_in_folder.h"

#include <shlobj.h>

#include "win/app.h"

namespace {

// The shell takes paths without the \\?\ prefix of the file functions.
std::wstring ShellPath(const std::string& path) {
    std::wstring wide = morvane::WidenUtf8(path);
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0)
        wide.replace(0, 8, L"\\\\");
    else if (wide.rfind(L"\\\\?\\", 0) == 0)
        wide.erase(0, 4);
    return wide;
}

// Selects the item of `path` in a shell window of its folder; false when
// the path names nothing the shell knows.
bool SelectInFolder(const std::string& path) {
    PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(ShellPath(path).c_str());
    if (item == nullptr) return false;
    // With no items named, the one `item` names is selected in its parent.
    const HRESULT result = ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ::ILFree(item);
    return SUCCEEDED(result);
}

}  // namespace

void ShowFileInFolder(const std::string& path) {
    AfxEnsureComInitialized();
    if (SelectInFolder(path)) return;
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos && separator > 0) SelectInFolder(path.substr(0, separator));
}

void ShowFilesInFolder(const std::string& folder, const std::vector<std::string>& paths) {
    AfxEnsureComInitialized();
    PIDLIST_ABSOLUTE parent = ::ILCreateFromPathW(ShellPath(folder).c_str());
    if (parent == nullptr) {
        if (!paths.empty()) ShowFileInFolder(paths.back());
        return;
    }
    std::vector<PIDLIST_ABSOLUTE> items;
    for (const std::string& path : paths)
        if (PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(ShellPath(path).c_str())) items.push_back(item);
    // The items are named relative to the folder: the last part of each.
    std::vector<PCUITEMID_CHILD> children;
    for (PIDLIST_ABSOLUTE item : items) children.push_back(::ILFindLastID(item));
    HRESULT result = E_FAIL;
    if (!children.empty())
        result = ::SHOpenFolderAndSelectItems(parent, static_cast<UINT>(children.size()), children.data(), 0);
    for (PIDLIST_ABSOLUTE item : items) ::ILFree(item);
    ::ILFree(parent);
    if (FAILED(result) && !paths.empty()) ShowFileInFolder(paths.back());
}
