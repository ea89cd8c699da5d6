#include "file_dialog.h"

#include <algorithm>

namespace {

// The longest path the system's file functions take, and room to spare: a
// longer choice makes the dialog fail, and nothing is chosen.
constexpr std::size_t kFileBufferSize = 32 * 1024;

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn{},
      m_bOpenFileDialog(bOpenFileDialog),
      m_pParentWnd(pParentWnd),
      m_strDefExt(morvane::WidenUtf8(lpszDefExt ? lpszDefExt : "")),
      m_strFilter(morvane::WidenUtf8(lpszFilter ? lpszFilter : "")),
      m_file(kFileBufferSize, L'\0') {
    if (lpszFileName != nullptr) {
        const std::wstring name = morvane::WidenUtf8(lpszFileName);
        std::copy_n(name.begin(), std::min(name.size(), m_file.size() - 1), m_file.begin());
    }
    // The system reads the filter as '\0'-separated strings ending in an empty
    // one; the string's own terminator supplies the last '\0'.
    std::replace(m_strFilter.begin(), m_strFilter.end(), L'|', L'\0');

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
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const {
    return morvane::NarrowToUtf8(m_file.data());
}
