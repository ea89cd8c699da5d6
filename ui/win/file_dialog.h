// The system's dialog for choosing a file to open or a name to save under.
// Arguments and results are UTF-8; the request the system gets is wide.
#pragma once

#include <string>
#include <vector>

#include "wnd.h"

#include <commdlg.h>

class CFileDialog {
public:
    // lpszFilter lists description and pattern alternately, each followed by
    // '|' ("Text (*.txt)|*.txt|All Files (*.*)|*.*||"). Null arguments leave
    // the system's defaults: no default extension, no file name, no filter.
    // The save dialog is kept for the class's contract; this program only
    // opens files.
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when a file was chosen, else IDCANCEL.
    INT_PTR DoModal();
    // The chosen file's full path.
    std::string GetPathName() const;

    // The request as the system gets it; its strings point into this object.
    OPENFILENAMEW m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::wstring m_strDefExt;
    std::wstring m_strFilter;  // '\0'-separated, ending in two
    std::vector<wchar_t> m_file;
};
