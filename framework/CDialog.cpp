#include "CDialog.h"
#include "Afx.h"
#include "CDataExchange.h"
#include "CWinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    LPCWSTR name = MAKEINTRESOURCEW(m_nIDTemplate);
    HINSTANCE module = AfxFindResourceHandle(name, RT_DIALOG);
    HRSRC resource = ::FindResourceW(module, name, RT_DIALOG);
    if (resource == nullptr) {
        return -1;
    }
    auto dialogTemplate =
        static_cast<LPCDLGTEMPLATEW>(::LockResource(::LoadResource(module, resource)));
    if (dialogTemplate == nullptr) {
        return -1;
    }
    HWND owner = nullptr;
    if (m_pParentWnd != nullptr) {
        owner = m_pParentWnd->m_hWnd;
    } else if (CWnd* mainWnd = AfxGetMainWnd(); mainWnd != nullptr && mainWnd != this) {
        owner = mainWnd->m_hWnd;
    }
    INT_PTR result = ::DialogBoxIndirectParamW(module, dialogTemplate, owner, &CDialog::AfxDlgProc,
                                               reinterpret_cast<LPARAM>(this));
    // Normally WM_NCDESTROY has already let go of the window.
    if (m_hWnd != nullptr) {
        UnsubclassWindow();
    }
    return result;
}

// The dialog manager calls this for every message. On WM_INITDIALOG the dialog window is
// subclassed with the framework's procedure, which from then on dispatches every message before
// the dialog manager sees it; so this returns FALSE for the rest, letting the dialog manager do
// its default processing (and never dispatching a message twice).
INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    // Already ours: a Default() from OnInitDialog came back here.
    if (dialog == nullptr || FromHandlePermanent(hWnd) != nullptr) {
        return FALSE;
    }
    if (!dialog->SubclassWindow(hWnd)) {
        return FALSE;
    }
    MSG saved = dialog->m_currentMsg;
    dialog->m_currentMsg = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    BOOL result = FALSE;
    try {
        result = dialog->OnInitDialog();
    } catch (...) {
        AfxHandlerFault();
    }
    if (FromHandlePermanent(hWnd) == dialog) {
        dialog->m_currentMsg = saved;
    }
    return result;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (CWnd::OnCmdMsg(id, code)) {
        return TRUE;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code);
}
