// Modal dialogs from a template of the test program: initialisation and data exchange, control
// subclassing, owner-draw reflection, ending the dialog, command routing to the application and
// message boxes captioned with the application's name.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "tests/framework/FrameworkTestSupport.h"
#include "tests/support/Desktop.h"

namespace {

const UINT kEditProbeMsg = WM_APP + 21;
const COLORREF kOwnerDrawColor = RGB(200, 30, 40);

// The framework's calls into the dialog and its controls are noted in the test's log.
class CTestEdit : public CEdit {
public:
    HWND m_hWndAtPreSubclass = nullptr;

    void PreSubclassWindow() override {
        Note("edit PreSubclassWindow");
        m_hWndAtPreSubclass = m_hWnd;
        CEdit::PreSubclassWindow();
    }
    afx_msg LRESULT OnProbe(WPARAM wParam, LPARAM) {
        Note("probe " + std::to_string(wParam));
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
    HWND m_lastItemWindow = nullptr;

    void PreSubclassWindow() override {
        ModifyStyle(0, BS_OWNERDRAW);
        CButton::PreSubclassWindow();
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        Note("DrawItem");
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

    void DoDataExchange(CDataExchange* pDX) override {
        Note(pDX->m_bSaveAndValidate ? "DoDataExchange save" : "DoDataExchange load");
        DDX_Control(pDX, IDC_FW_EDIT, m_edit);
        DDX_Control(pDX, IDC_FW_OWNERDRAW, m_button);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        Note(m_edit.m_hWnd ? "OnInitDialog, edit bound" : "OnInitDialog");
        return TRUE;
    }
    void OnOK() override {
        Note("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override {
        Note("OnCancel");
        CDialog::OnCancel();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_COMMAND(ID_FW_EXIT, CDialog::OnCancel)
END_MESSAGE_MAP()

// Posts a key press to the control with the focus (or the dialog), as the keyboard would; the
// modal loop's dialog-message handling turns Escape and Enter into commands.
void PostKey(CDialog& dialog, UINT key) {
    HWND target = ::GetFocus();
    if (target == nullptr || (target != dialog.m_hWnd && !::IsChild(dialog.m_hWnd, target)))
        target = dialog.m_hWnd;
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// A test dialog, and the log its overrides note their calls in.
class ModalDialog : public ::testing::Test {
protected:
    MessageLog log;
    CTestDialog dialog;
};

TEST_F(ModalDialog, InitialisationExchangesDataAndEndDialogResultIsReturned) {
    HWND seenWindow = nullptr;
    EXPECT_EQ(42, RunModal(dialog, [&](HWND hwnd) {
                  seenWindow = hwnd;
                  EXPECT_EQ(dialog.m_hWnd, hwnd);
                  dialog.EndDialog(42);
              }));
    // One exchange, loading, that binds the controls before the dialog's own initialisation;
    // then the first paint.
    EXPECT_NE(nullptr, seenWindow);
    EXPECT_TRUE(log.Sequence(
        {"DoDataExchange load", "edit PreSubclassWindow", "OnInitDialog, edit bound", "DrawItem"}));
    // The dialog and its controls are gone, and the objects let go of them.
    EXPECT_FALSE(::IsWindow(seenWindow));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_edit.m_hWnd);
    EXPECT_EQ(nullptr, dialog.m_button.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(seenWindow));
}

TEST_F(ModalDialog, DataExchangeSubclassesControlsOnceAndTheyReceiveMessages) {
    WhileShown(dialog, [&](HWND hwnd) {
        EXPECT_EQ(1, log.Count("DoDataExchange load"));
        EXPECT_EQ(1, log.Count("edit PreSubclassWindow"));
        log.Clear();
        const HWND edit = ::GetDlgItem(hwnd, IDC_FW_EDIT);
        EXPECT_EQ(edit, dialog.m_edit.m_hWndAtPreSubclass);
        EXPECT_EQ(42, ::SendMessageW(edit, kEditProbeMsg, 41, 0));
        // Unmapped messages still reach the edit control's own procedure.
        ::SetWindowTextW(edit, L"typed");
        CString text;
        dialog.m_edit.GetWindowText(text);
        EXPECT_EQ(CString(L"typed"), text);
        dialog.UpdateData(TRUE);
    });
    // The second exchange found the controls already bound and left them alone.
    EXPECT_TRUE(log.Sequence({"probe 41", "DoDataExchange save"}));
}

TEST_F(ModalDialog, OwnerDrawnButtonDrawsItselfThroughReflection) {
    WhileShown(dialog, [&](HWND hwnd) {
        const HWND buttonWindow = dialog.m_button.m_hWnd;
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), dialog.m_button.GetStyle() & BS_TYPEMASK);
        log.Clear();
        dialog.m_button.Invalidate();
        dialog.m_button.UpdateWindow();
        EXPECT_TRUE(log.Sequence({"DrawItem"}));
        EXPECT_EQ(kOwnerDrawColor, ::GetPixel(CClientDC(&dialog.m_button), 5, 5));
        // A menu item's WM_DRAWITEM is not handed to a control, even one with that handle.
        DRAWITEMSTRUCT menuItem = {};
        menuItem.CtlType = ODT_MENU;
        menuItem.hwndItem = buttonWindow;
        ::SendMessageW(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuItem));
        // Nor is one for a control without an object of its own (default processing only).
        DRAWITEMSTRUCT plainItem = {};
        plainItem.CtlType = ODT_BUTTON;
        plainItem.CtlID = IDC_FW_PLAIN_BUTTON;
        plainItem.hwndItem = ::GetDlgItem(hwnd, IDC_FW_PLAIN_BUTTON);
        ::SendMessageW(hwnd, WM_DRAWITEM, IDC_FW_PLAIN_BUTTON,
                       reinterpret_cast<LPARAM>(&plainItem));
        EXPECT_TRUE(log.Sequence({}));
        EXPECT_EQ(buttonWindow, dialog.m_button.m_lastItemWindow);
    });
}

// Each way to end the dialog, what it returns, and which of its overrides ran: none for a command
// whose map entry names the base's handler qualified.
TEST_F(ModalDialog, EachWayToEndItReachesItsHandler) {
    const struct {
        const char* how;
        std::function<void(CDialog&)> act;
        INT_PTR result;
        std::vector<Step> overrides;
    } cases[] = {
        {"Escape", [](CDialog& d) { PostKey(d, VK_ESCAPE); }, IDCANCEL, {"OnCancel"}},
        {"WM_CLOSE", [](CDialog& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL, {"OnCancel"}},
        {"Enter", [](CDialog& d) { PostKey(d, VK_RETURN); }, IDOK, {"OnOK"}},
        {"qualified", [](CDialog& d) { d.PostMessage(WM_COMMAND, ID_FW_EXIT, 0); }, IDCANCEL, {}},
    };
    for (const auto& c : cases) {
        CTestDialog fresh;
        EXPECT_EQ(c.result, RunModal(fresh,
                                     [&](HWND) {
                                         log.Clear();
                                         c.act(fresh);
                                     }))
            << c.how;
        EXPECT_TRUE(log.Sequence(c.overrides)) << c.how;
    }
}

TEST_F(ModalDialog, UnhandledCommandIsRoutedToTheApplicationMap) {
    WhileShown(dialog, [&](HWND) {
        log.Clear();
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_APP_COMMAND, 0), 0);
        EXPECT_TRUE(log.Sequence({"app command"}));
        // A command neither the dialog nor the application maps goes to default processing.
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FW_UNHANDLED, 0), 0);
    });
    EXPECT_TRUE(log.Sequence({}));
}

TEST_F(ModalDialog, MissingTemplateGivesMinusOne) {
    CTestDialog missing(IDD_FW_MISSING_DIALOG);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_TRUE(log.Sequence({})) << "no data exchange";
}

TEST_F(ModalDialog, OwnerIsTheMainWindowUnlessThatIsTheDialogItself) {
    UniqueWindow mainWindow = CreateTestWindow();
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.SubclassWindow(mainWindow.get()));
    theApp.m_pMainWnd = &mainWnd;
    auto ownerOf = [](CDialog& modal) {
        HWND owner = reinterpret_cast<HWND>(1);
        WhileShown(modal, [&](HWND hwnd) { owner = ::GetWindow(hwnd, GW_OWNER); });
        return owner;
    };
    EXPECT_EQ(mainWindow.get(), ownerOf(dialog));
    CTestDialog itself;
    theApp.m_pMainWnd = &itself;
    EXPECT_EQ(nullptr, ownerOf(itself));
    theApp.m_pMainWnd = nullptr;
}

// The caption of a message box of `wnd`, read from inside its modal loop, which a press of its
// OK button ends.
std::wstring CaptionOfMessageBox(CWnd& wnd, LPCWSTR caption, INT_PTR* result) {
    std::wstring seen;
    *result =
        RunModal([&] { return wnd.MessageBox(L"framework test message", caption, MB_OKCANCEL); },
                 [&](HWND box) {
                     seen = TitleOf(box);
                     ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                 });
    return seen;
}

TEST(MessageBoxCaption, NullCaptionIsTheApplicationNameFromTheExecutable) {
    EXPECT_STREQ(L"FrameworkTests", theApp.m_pszAppName);
    UniqueWindow window = CreateTestWindow();
    CWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(window.get()));
    INT_PTR result = 0;
    EXPECT_EQ(L"FrameworkTests", CaptionOfMessageBox(wnd, nullptr, &result));
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(L"Explicit", CaptionOfMessageBox(wnd, L"Explicit", &result));
    EXPECT_EQ(IDOK, result);
}

} // namespace
