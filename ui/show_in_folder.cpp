#include "show_in_folder.h"

#include <shlobj.h>

#include "win/app.h"

namespace {

// Selects the item of `path` in a shell window of its folder; false when
// the path names nothing the shell knows.
bool SelectInFolder(const std::string& path) {
    // The shell takes paths without the \\?\ prefix of the file functions.
    std::wstring wide = morvane::WidenUtf8(path);
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0)
        wide.replace(0, 8, L"\\\\");
    else if (wide.rfind(L"\\\\?\\", 0) == 0)
        wide.erase(0, 4);
    PIDLIST_ABSOLUTE item = ::ILCreateFromPathW(wide.c_str());
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
