#include "file_dialog.h"

#include <algorithm>

namespace {

// A UTF-8 path takes up to three bytes for each UTF-16 unit of the system's
// paths, so this holds any path the dialog returns (MAX_PATH units) many
// times over. A longer one makes the dialog fail, and nothing is chosen.
constexpr std::size_t kFileBufferSize = 32 * 1024;

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn{},
      m_bOpenFileDialog(bOpenFileDialog),
      m_pParentWnd(pParentWnd),
      m_strDefExt(lpszDefExt ? lpszDefExt : ""),
      m_strFilter(lpszFilter ? lpszFilter : ""),
      m_file(kFileBufferSize, '\0') {
    if (lpszFileName != nullptr)
        std::copy_n(lpszFileName, std::min(std::char_traits<char>::length(lpszFileName), m_file.size() - 1),
                    m_file.begin());
    // The system reads the filter as '\0'-separated strings ending in an empty
    // one; the string's own terminator supplies the last '\0'.
    std::replace(m_strFilter.begin(), m_strFilter.end(), '|', '\0');

    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = nullptr;
    m_ofn.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    m_ofn.lpstrDefExt = lpszDefExt ? m_strDefExt.c_str() : nullptr;
    m_ofn.Flags = dwFlags;
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const {
    return m_file.data();
}
