// Dialogs built from templates of the program's resources, in the shell's
// dialog font where a template names an old ANSI face (dialog_template.h);
// the dialog's font is the one WM_GETFONT returns. One static dialog
// procedure hands every message to the dialog object's message map; C++
// exceptions stop there and are shown instead of crossing into Windows.
#pragma once

#include "data_exchange.h"
#include "message_map.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Shows the dialog and runs its own message loop until EndDialog, with
    // the parent disabled meanwhile. Returns EndDialog's value, or -1 when
    // the window could not be made or a quit request ended the loop (the
    // request is posted again, so the loops outside end too).
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; EndDialog then destroys it.
    bool Create(CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    // Runs the data exchange: controls to members when bSaveAndValidate.
    bool UpdateData(bool bSaveAndValidate = true);
    // Offered every message of the modal loop before it is dispatched.
    virtual bool PreTranslateMessage(MSG* pMsg);

protected:
    // Runs the data exchange into the controls. TRUE: the system gives the
    // focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();
    // Centres the dialog over its owner, or over the screen without one.
    void CenterWindow();
    // Lets the system process the current message after its handler.
    void Default();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateFromTemplate(HWND hParent);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bModal = false;
    bool m_bEnded = false;
    INT_PTR m_nModalResult = -1;
    CMessage* m_pCurrentMessage = nullptr;
};
