// Modal dialogs from a template of the test program: initialisation and data exchange, control
// subclassing, owner-draw reflection, ending the dialog, command routing to the application and
// message boxes captioned with the application's name.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/framework/FrameworkTestSupport.h"

namespace {

const UINT kRunScriptMsg = WM_APP + 20;
const UINT kEditProbeMsg = WM_APP + 21;
const COLORREF kOwnerDrawColor = RGB(200, 30, 40);

class CTestEdit : public CEdit {
public:
    int m_preSubclassCalls = 0;
    HWND m_hWndAtPreSubclass = nullptr;
    int m_probes = 0;

    void PreSubclassWindow() override {
        ++m_preSubclassCalls;
        m_hWndAtPreSubclass = m_hWnd;
        CEdit::PreSubclassWindow();
    }
    afx_msg LRESULT OnProbe(WPARAM wParam, LPARAM) {
        ++m_probes;
        return static_cast<LRESULT>(wParam) + 1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestEdit, CEdit)
ON_MESSAGE(kEditProbeMsg, OnProbe)
END_MESSAGE_MAP()

// Draws itself in one colour, as an owner-drawn button of the program does with its bitmaps.
class COwnerDrawButton : public CButton {
public:
    int m_drawCalls = 0;
    HWND m_lastItemWindow = nullptr;

    void PreSubclassWindow() override {
        ModifyStyle(0, BS_OWNERDRAW);
        CButton::PreSubclassWindow();
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++m_drawCalls;
        m_lastItemWindow = dis->hwndItem;
        CDC dc;
        dc.Borrow(dis->hDC);
        CRect rect;
        GetClientRect(rect);
        CBrush fill(kOwnerDrawColor);
        dc.FillRect(rect, &fill);
    }
};

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT templateId = IDD_FW_TEST_DIALOG) : CDialog(templateId) {}

    CTestEdit m_edit;
    COwnerDrawButton m_button;
    int m_dataExchanges = 0;
    BOOL m_lastExchangeSaved = -1;
    bool m_editSubclassedDuringInit = false;
    int m_cancelCalls = 0;
    int m_okCalls = 0;
    std::function<void(CTestDialog&)> m_script;

    void DoDataExchange(CDataExchange* pDX) override {
        ++m_dataExchanges;
        m_lastExchangeSaved = pDX->m_bSaveAndValidate;
        DDX_Control(pDX, IDC_FW_EDIT, m_edit);
        DDX_Control(pDX, IDC_FW_OWNERDRAW, m_button);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_editSubclassedDuringInit = m_edit.m_hWnd != nullptr;
        PostMessage(kRunScriptMsg);
        return TRUE;
    }
    void OnOK() override {
        ++m_okCalls;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++m_cancelCalls;
        CDialog::OnCancel();
    }
    afx_msg LRESULT OnRunScript(WPARAM, LPARAM) {
        if (m_script) {
            m_script(*this);
        } else {
            EndDialog(IDABORT);
        }
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_MESSAGE(kRunScriptMsg, OnRunScript)
ON_COMMAND(ID_FW_EXIT, CDialog::OnCancel)
END_MESSAGE_MAP()

// Posts a key press to the control with the focus (or the dialog), as the keyboard would; the
// modal loop's dialog-message handling turns Escape and Enter into commands.
void PostKey(CDialog& dialog, UINT key) {
    HWND target = ::GetFocus();
    if (target == nullptr || (target != dialog.m_hWnd && !::IsChild(dialog.m_hWnd, target))) {
        target = dialog.m_hWnd;
    }
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(ModalDialog, InitialisationExchangesDataAndEndDialogResultIsReturned) {
    CTestDialog dialog;
    HWND seenWindow = nullptr;
    dialog.m_script = [&](CTestDialog& d) {
        seenWindow = d.m_hWnd;
        d.EndDialog(42);
    };
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_NE(nullptr, seenWindow);
    EXPECT_EQ(1, dialog.m_dataExchanges);
    EXPECT_FALSE(dialog.m_lastExchangeSaved);
    EXPECT_TRUE(dialog.m_editSubclassedDuringInit);
    // The dialog and its controls are gone, and the objects let go of them.
    EXPECT_FALSE(::IsWindow(seenWindow));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_edit.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_button.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(seenWindow));
}

TEST(ModalDialog, DataExchangeSubclassesControlsOnceAndTheyReceiveMessages) {
    CTestDialog dialog;
    LRESULT probeAnswer = 0;
    CString text;
    HWND editWindow = nullptr;
    int exchangesAfterUpdate = 0;
    dialog.m_script = [&](CTestDialog& d) {
        editWindow = ::GetDlgItem(d, IDC_FW_EDIT);
        probeAnswer = ::SendMessageW(editWindow, kEditProbeMsg, 41, 0);
        // Unmapped messages still reach the edit control's own procedure.
        ::SetWindowTextW(editWindow, L"typed");
        d.m_edit.GetWindowText(text);
        d.UpdateData(TRUE);
        exchangesAfterUpdate = d.m_dataExchanges;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(1, dialog.m_edit.m_preSubclassCalls);
    EXPECT_EQ(editWindow, dialog.m_edit.m_hWndAtPreSubclass);
    EXPECT_EQ(42, probeAnswer);
    EXPECT_EQ(1, dialog.m_edit.m_probes);
    EXPECT_EQ(CString(L"typed"), text);
    // The second exchange found the controls already bound and left them alone.
    EXPECT_EQ(2, exchangesAfterUpdate);
    EXPECT_EQ(1, dialog.m_edit.m_preSubclassCalls);
}

TEST(ModalDialog, OwnerDrawnButtonDrawsItselfThroughReflection) {
    CTestDialog dialog;
    int drawsWhenShown = 0;
    int drawsAfterMenuItem = 0;
    COLORREF pixel = CLR_INVALID;
    DWORD buttonStyle = 0;
    HWND buttonWindow = nullptr;
    dialog.m_script = [&](CTestDialog& d) {
        buttonWindow = d.m_button.m_hWnd;
        buttonStyle = d.m_button.GetStyle();
        d.m_button.Invalidate();
        d.m_button.UpdateWindow();
        drawsWhenShown = d.m_button.m_drawCalls;
        {
            CClientDC dc(&d.m_button);
            pixel = ::GetPixel(dc, 5, 5);
        }
        // A menu item's WM_DRAWITEM is not handed to a control, even one with that handle.
        DRAWITEMSTRUCT menuItem = {};
        menuItem.CtlType = ODT_MENU;
        menuItem.hwndItem = buttonWindow;
        d.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuItem));
        // Nor is one for a control without an object of its own (default processing only).
        DRAWITEMSTRUCT plainItem = {};
        plainItem.CtlType = ODT_BUTTON;
        plainItem.CtlID = IDC_FW_PLAIN_BUTTON;
        plainItem.hwndItem = ::GetDlgItem(d, IDC_FW_PLAIN_BUTTON);
        d.SendMessage(WM_DRAWITEM, IDC_FW_PLAIN_BUTTON, reinterpret_cast<LPARAM>(&plainItem));
        drawsAfterMenuItem = d.m_button.m_drawCalls;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), buttonStyle & BS_TYPEMASK);
    EXPECT_GE(drawsWhenShown, 1);
    EXPECT_EQ(buttonWindow, dialog.m_button.m_lastItemWindow);
    EXPECT_EQ(kOwnerDrawColor, pixel);
    EXPECT_EQ(drawsWhenShown, drawsAfterMenuItem);
}

TEST(ModalDialog, EscapeAndCloseReachOnCancelAndEnterReachesOnOK) {
    {
        CTestDialog dialog;
        dialog.m_script = [](CTestDialog& d) { PostKey(d, VK_ESCAPE); };
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(1, dialog.m_cancelCalls);
    }
    {
        CTestDialog dialog;
        dialog.m_script = [](CTestDialog& d) { d.PostMessage(WM_CLOSE); };
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(1, dialog.m_cancelCalls);
    }
    {
        CTestDialog dialog;
        dialog.m_script = [](CTestDialog& d) { PostKey(d, VK_RETURN); };
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_EQ(1, dialog.m_okCalls);
        EXPECT_EQ(0, dialog.m_cancelCalls);
    }
}

TEST(ModalDialog, QualifiedBaseHandlerEndsTheDialogWithoutTheOverride) {
    CTestDialog dialog;
    dialog.m_script = [](CTestDialog& d) { d.PostMessage(WM_COMMAND, ID_FW_EXIT, 0); };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(0, dialog.m_cancelCalls);
}

TEST(ModalDialog, UnhandledCommandIsRoutedToTheApplicationMap) {
    CTestDialog dialog;
    int before = theApp.m_appCommands;
    int afterMenuCommand = 0;
    dialog.m_script = [&](CTestDialog& d) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_APP_COMMAND, 0), 0);
        afterMenuCommand = theApp.m_appCommands;
        // A command neither the dialog nor the application maps goes to default processing.
        d.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_UNHANDLED, 0), 0);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(before + 1, afterMenuCommand);
    EXPECT_EQ(before + 1, theApp.m_appCommands);
}

TEST(ModalDialog, MissingTemplateGivesMinusOne) {
    CTestDialog dialog(IDD_FW_MISSING_DIALOG);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(0, dialog.m_dataExchanges);
}

TEST(ModalDialog, OwnerIsTheMainWindowUnlessThatIsTheDialogItself) {
    UniqueWindow mainWindow = CreateTestWindow();
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.SubclassWindow(mainWindow.get()));
    theApp.m_pMainWnd = &mainWnd;
    HWND owner = reinterpret_cast<HWND>(1);
    {
        CTestDialog dialog;
        dialog.m_script = [&](CTestDialog& d) {
            owner = ::GetWindow(d.m_hWnd, GW_OWNER);
            d.EndDialog(IDOK);
        };
        dialog.DoModal();
        EXPECT_EQ(mainWindow.get(), owner);
    }
    {
        CTestDialog dialog;
        theApp.m_pMainWnd = &dialog;
        dialog.m_script = [&](CTestDialog& d) {
            owner = ::GetWindow(d.m_hWnd, GW_OWNER);
            d.EndDialog(IDOK);
        };
        dialog.DoModal();
        EXPECT_EQ(nullptr, owner);
    }
    theApp.m_pMainWnd = nullptr;
}

// Finds this thread's message box from a timer that fires inside its modal loop, reads its
// caption and closes it.
std::wstring g_messageBoxCaption;
bool g_messageBoxFound = false;

BOOL CALLBACK FindMessageBox(HWND hWnd, LPARAM) {
    wchar_t className[32] = {};
    ::GetClassNameW(hWnd, className, 32);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(hWnd)) {
        return TRUE;
    }
    wchar_t caption[256] = {};
    ::GetWindowTextW(hWnd, caption, 256);
    g_messageBoxCaption = caption;
    g_messageBoxFound = true;
    ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseMessageBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_messageBoxFound) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindMessageBox, 0);
    }
}

std::wstring CaptionOfMessageBox(CWnd& wnd, LPCWSTR caption, int* result) {
    g_messageBoxCaption.clear();
    g_messageBoxFound = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &CloseMessageBoxTimer);
    *result = wnd.MessageBox(L"framework test message", caption, MB_OKCANCEL);
    ::KillTimer(nullptr, timer);
    return g_messageBoxCaption;
}

TEST(MessageBoxCaption, NullCaptionIsTheApplicationNameFromTheExecutable) {
    EXPECT_STREQ(L"FrameworkTests", theApp.m_pszAppName);
    UniqueWindow window = CreateTestWindow();
    CWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(window.get()));
    int result = 0;
    EXPECT_EQ(L"FrameworkTests", CaptionOfMessageBox(wnd, nullptr, &result));
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(L"Explicit", CaptionOfMessageBox(wnd, L"Explicit", &result));
    EXPECT_EQ(IDOK, result);
}

} // namespace
