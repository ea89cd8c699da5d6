#include "taskbar_progress.h"

#include <shobjidl.h>

#include <algorithm>

#include "win/app.h"

CTaskbarProgress::~CTaskbarProgress() {
    if (m_pTaskbar != nullptr) m_pTaskbar->Release();
}

void CTaskbarProgress::Attach(ITaskbarList3* taskbar) {
    if (taskbar != nullptr) taskbar->AddRef();
    if (m_pTaskbar != nullptr) m_pTaskbar->Release();
    m_pTaskbar = taskbar;
    m_bTried = true;
}

bool CTaskbarProgress::Connect(HWND window) {
    m_hWnd = window;
    if (!m_bTried) {
        m_bTried = true;
        AfxEnsureComInitialized();
        void* taskbar = nullptr;
        if (SUCCEEDED(
                ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &taskbar))) {
            m_pTaskbar = static_cast<ITaskbarList3*>(taskbar);
            if (FAILED(m_pTaskbar->HrInit())) {
                m_pTaskbar->Release();
                m_pTaskbar = nullptr;
            }
        }
    }
    return m_pTaskbar != nullptr && m_hWnd != nullptr;
}

void CTaskbarProgress::Start(HWND window, std::uint32_t upper) {
    m_nUpper = std::max<std::uint32_t>(upper, 1);
    m_nPos = 0;
    if (!Connect(window)) return;
    m_pTaskbar->SetProgressState(m_hWnd, TBPF_NORMAL);
    ShowValue();
}

void CTaskbarProgress::SetPos(std::uint32_t position) {
    // The last, partial block goes one past the range.
    m_nPos = std::min(position, m_nUpper);
    if (m_pTaskbar == nullptr || m_hWnd == nullptr) return;
    ShowValue();
}

void CTaskbarProgress::SetQueueShare(std::uint32_t done, std::uint32_t count) {
    m_nCount = std::max<std::uint32_t>(count, 1);
    m_nDone = std::min(done, m_nCount - 1);
}

void CTaskbarProgress::ShowValue() {
    const ULONGLONG upper = std::max<std::uint32_t>(m_nUpper, 1);
    m_pTaskbar->SetProgressValue(m_hWnd, m_nDone * upper + m_nPos, m_nCount * upper);
}

void CTaskbarProgress::ShowError(HWND window) {
    if (!Connect(window)) return;
    if (m_nPos == 0 && m_nDone == 0) m_pTaskbar->SetProgressValue(m_hWnd, 1, 1);
    m_pTaskbar->SetProgressState(m_hWnd, TBPF_ERROR);
}

void CTaskbarProgress::Clear() {
    m_nUpper = 0;
    m_nPos = 0;
    if (m_pTaskbar == nullptr || m_hWnd == nullptr) return;
    m_pTaskbar->SetProgressState(m_hWnd, TBPF_NOPROGRESS);
}
