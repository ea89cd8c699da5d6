// The system's dialog for choosing a file to open or a name to save under.
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
    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_strDefExt;
    std::string m_strFilter;  // '\0'-separated, ending in two
    std::vector<char> m_file;
};
