#include "dialog.h"

#include <exception>
#include <utility>

#include "app.h"
#include "dialog_template.h"

namespace {

// Messages whose result a dialog procedure returns itself instead of
// storing it as the message result.
bool ReturnsResultDirectly(UINT message) {
    return message == WM_QUERYDRAGICON || message == WM_CHARTOITEM || message == WM_VKEYTOITEM ||
           message == WM_COMPAREITEM || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd == nullptr) return;
    // The object is no longer whole: later messages must not reach it.
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool CDialog::CreateFromTemplate(HWND hParent) {
    const HINSTANCE module = AfxGetResourceHandle();
    CDialogTemplate dialogTemplate;
    if (!dialogTemplate.Load(module, MAKEINTRESOURCEW(m_nIDTemplate)))  // the system says what is wrong
        return ::CreateDialogParamW(module, MAKEINTRESOURCEW(m_nIDTemplate), hParent, DialogProc,
                                    reinterpret_cast<LPARAM>(this)) != nullptr;
    // A copy with the shell's dialog font for the old ANSI faces: the
    // resource keeps the face it was written with.
    dialogTemplate.SubstituteShellFont();
    return ::CreateDialogIndirectParamW(module, dialogTemplate.Get(), hParent, DialogProc,
                                        reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialog::Create(CWnd* pParentWnd) {
    if (pParentWnd != nullptr) m_pParentWnd = pParentWnd;
    m_bModal = false;
    return CreateFromTemplate(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    const HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    m_bModal = true;
    m_bEnded = false;
    m_nModalResult = -1;
    if (!CreateFromTemplate(owner)) {
        m_bModal = false;
        return -1;
    }
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    if (!m_bEnded) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);

    MSG msg;
    while (!m_bEnded && m_hWnd != nullptr) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    // The owner comes back before the dialog goes, so it gets the activation.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    if (!m_bModal) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    m_nModalResult = nResult;
    m_bEnded = true;
    // Wakes the modal loop when the call came from a message it did not fetch.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange exchange(*this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

bool CDialog::PreTranslateMessage(MSG* pMsg) {
    return m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::CenterWindow() {
    RECT area;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    const int x = area.left + ((area.right - area.left) - (rect.right - rect.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (rect.bottom - rect.top)) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::Default() {
    if (m_pCurrentMessage != nullptr) m_pCurrentMessage->useDefault = true;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    try {
        return self->Dispatch(hWnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        AfxMessageBox(hWnd, error.what(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        AfxMessageBox(hWnd, "Unexpected error.", MB_OK | MB_ICONSTOP);
    }
    return FALSE;
}

INT_PTR CDialog::Dispatch(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const BOOL result = OnInitDialog();
        if (m_hWnd != nullptr) CenterWindow();
        return result;
    }

    CMessage m{message, wParam, lParam};
    struct Restore {
        CMessage*& current;
        CMessage* outer;
        ~Restore() { current = outer; }
    } restore{m_pCurrentMessage, std::exchange(m_pCurrentMessage, &m)};
    const bool handled = ProcessMessage(m) && !m.useDefault;

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return m.result;
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, m.result);
    return TRUE;
}
