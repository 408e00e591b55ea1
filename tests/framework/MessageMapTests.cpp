// Message maps on real windows: which entry wins, what falls through to the window's own
// procedure, virtual and qualified handlers, command routing, Default() and the object's hold on
// its window.
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "tests/framework/FrameworkTestSupport.h"

namespace {

const UINT kBaseOnlyMsg = WM_APP + 1;
const UINT kSharedMsg = WM_APP + 2;
const UINT kDefaultMsg = WM_APP + 3;
const UINT kNestedMsg = WM_APP + 4;
const UINT kUnmappedMsg = kOriginalAnswerMsg;
const UINT s_registeredMsg = ::RegisterWindowMessageW(L"ZelvanorFrameworkTestRegistered");
const int kEditId = 501;
const int kButtonId = 502;

class CBaseTestWnd : public CWnd {
public:
    std::vector<std::string> m_log;

    afx_msg LRESULT OnBaseOnly(WPARAM, LPARAM) {
        m_log.push_back("base-only");
        return 11;
    }
    afx_msg LRESULT OnSharedInBase(WPARAM, LPARAM) {
        m_log.push_back("base-shared");
        return 12;
    }
    afx_msg virtual void OnVirtualCommand() { m_log.push_back("base-virtual"); }
    afx_msg virtual void OnQualifiedCommand() { m_log.push_back("base-qualified"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
ON_MESSAGE(kBaseOnlyMsg, OnBaseOnly)
ON_MESSAGE(kSharedMsg, OnSharedInBase)
ON_COMMAND(ID_FW_VIRTUAL, OnVirtualCommand)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
public:
    CPoint m_lastDown{-1, -1};
    UINT m_lastDownFlags = 0;
    MSG m_defaultSeen = {};
    std::vector<UINT> m_defWindowProcMessages;
    bool m_postNcDestroy = false;

    afx_msg LRESULT OnSharedInDerived(WPARAM, LPARAM) {
        m_log.push_back("derived-shared");
        return 22;
    }
    void OnVirtualCommand() override { m_log.push_back("derived-virtual"); }
    void OnQualifiedCommand() override { m_log.push_back("derived-qualified"); }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM) {
        m_log.push_back("registered:" + std::to_string(wParam));
        return 33;
    }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point) {
        m_lastDownFlags = nFlags;
        m_lastDown = point;
        CBaseTestWnd::OnLButtonDown(nFlags, point);
    }
    // Handles a nested message first, then asks for default processing of its own.
    afx_msg LRESULT OnDefaultMsg(WPARAM, LPARAM) {
        SendMessage(kNestedMsg, 7, 8);
        return Default();
    }
    afx_msg LRESULT OnNestedMsg(WPARAM, LPARAM) {
        m_log.push_back("nested");
        return 0;
    }
    afx_msg void OnEditKillFocus() { m_log.push_back("edit-killfocus"); }
    afx_msg void OnButtonClicked() { m_log.push_back("button-clicked"); }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_defWindowProcMessages.push_back(message);
        if (message == kDefaultMsg) {
            m_defaultSeen = MSG{m_hWnd, message, wParam, lParam, 0, {0, 0}};
            return 44;
        }
        return CBaseTestWnd::DefWindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { m_postNcDestroy = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
ON_MESSAGE(kSharedMsg, OnSharedInDerived)
ON_MESSAGE(kDefaultMsg, OnDefaultMsg)
ON_MESSAGE(kNestedMsg, OnNestedMsg)
ON_REGISTERED_MESSAGE(s_registeredMsg, OnRegistered)
ON_WM_LBUTTONDOWN()
ON_COMMAND(ID_FW_QUALIFIED, CBaseTestWnd::OnQualifiedCommand)
ON_EN_KILLFOCUS(kEditId, OnEditKillFocus)
ON_COMMAND(kButtonId, OnButtonClicked)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_originalProcCalls.clear();
        m_window = CreateTestWindow();
        ASSERT_TRUE(m_window);
        ASSERT_TRUE(m_wnd.SubclassWindow(m_window.get()));
    }
    void TearDown() override { PumpMessages(); }

    UniqueWindow m_window;
    CDerivedTestWnd m_wnd;
};

TEST_F(MessageMapTest, DerivedEntryWinsAndBaseMapIsConsultedNext) {
    EXPECT_EQ(22, ::SendMessageW(m_window.get(), kSharedMsg, 0, 0));
    EXPECT_EQ(11, ::SendMessageW(m_window.get(), kBaseOnlyMsg, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"derived-shared", "base-only"}), m_wnd.m_log);
    // Mapped messages do not reach the window's own procedure.
    EXPECT_FALSE(OriginalProcSaw(m_window.get(), kSharedMsg));
    EXPECT_FALSE(OriginalProcSaw(m_window.get(), kBaseOnlyMsg));
}

TEST_F(MessageMapTest, UnmappedMessagesReachThePreviousProcedureThroughDefWindowProc) {
    EXPECT_EQ(kOriginalAnswer, ::SendMessageW(m_window.get(), kUnmappedMsg, 5, 6));
    EXPECT_TRUE(OriginalProcSaw(m_window.get(), kUnmappedMsg));
    ASSERT_FALSE(m_wnd.m_defWindowProcMessages.empty());
    EXPECT_EQ(kUnmappedMsg, m_wnd.m_defWindowProcMessages.back());
    // The window still behaves as its class makes it: its text goes through to the system.
    m_wnd.SetWindowText(L"renamed");
    CString text;
    m_wnd.GetWindowText(text);
    EXPECT_EQ(CString(L"renamed"), text);
}

TEST_F(MessageMapTest, PostedAndRegisteredMessagesAreDispatched) {
    ASSERT_NE(0u, s_registeredMsg);
    EXPECT_EQ(33, ::SendMessageW(m_window.get(), s_registeredMsg, 5, 0));
    ::PostMessageW(m_window.get(), s_registeredMsg, 6, 0);
    WaitUntil([&] { return m_wnd.m_log.size() == 2; });
    EXPECT_EQ((std::vector<std::string>{"registered:5", "registered:6"}), m_wnd.m_log);
}

TEST_F(MessageMapTest, VirtualHandlerGoesThroughTheVirtualTableAndQualifiedOneDoesNot) {
    // The base map names OnVirtualCommand unqualified: the derived override runs.
    ::SendMessageW(m_window.get(), WM_COMMAND, MAKEWPARAM(ID_FW_VIRTUAL, 0), 0);
    // The derived map names CBaseTestWnd::OnQualifiedCommand: the base body runs.
    ::SendMessageW(m_window.get(), WM_COMMAND, MAKEWPARAM(ID_FW_QUALIFIED, 0), 0);
    // An accelerator (code 1, no control) is a plain command as well.
    ::SendMessageW(m_window.get(), WM_COMMAND, MAKEWPARAM(ID_FW_VIRTUAL, 1), 0);
    EXPECT_EQ((std::vector<std::string>{"derived-virtual", "base-qualified", "derived-virtual"}),
              m_wnd.m_log);
}

TEST_F(MessageMapTest, MouseHandlerUnpacksSignedPointAndCanCallTheBaseForDefault) {
    LPARAM lParam = MAKELPARAM(static_cast<WORD>(-5), 40);
    ::SendMessageW(m_window.get(), WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    EXPECT_EQ(CPoint(-5, 40), m_wnd.m_lastDown);
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON), m_wnd.m_lastDownFlags);
    // CWnd::OnLButtonDown did default processing: the window's own procedure saw the press.
    EXPECT_TRUE(OriginalProcSaw(m_window.get(), WM_LBUTTONDOWN));
}

TEST_F(MessageMapTest, DefaultReachesOverriddenDefWindowProcWithTheCurrentMessage) {
    EXPECT_EQ(44, ::SendMessageW(m_window.get(), kDefaultMsg, 123, 456));
    // The nested message in between did not change what Default() passes on.
    EXPECT_EQ((std::vector<std::string>{"nested"}), m_wnd.m_log);
    EXPECT_EQ(kDefaultMsg, m_wnd.m_defaultSeen.message);
    EXPECT_EQ(123u, m_wnd.m_defaultSeen.wParam);
    EXPECT_EQ(456, m_wnd.m_defaultSeen.lParam);
    EXPECT_FALSE(OriginalProcSaw(m_window.get(), kDefaultMsg));
}

TEST_F(MessageMapTest, ControlNotificationsAndCommandsReachTheParentsMap) {
    HWND edit =
        ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 100, 20,
                          m_window.get(), reinterpret_cast<HMENU>(kEditId), nullptr, nullptr);
    HWND button =
        ::CreateWindowExW(0, L"BUTTON", L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 80,
                          24, m_window.get(), reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    ASSERT_NE(nullptr, button);
    PumpMessages();

    ::SetFocus(edit);
    ::SetFocus(m_window.get());
    PumpMessages();
    ::SendMessageW(button, BM_CLICK, 0, 0);
    WaitUntil([&] { return m_wnd.m_log.size() >= 2; });
    EXPECT_EQ((std::vector<std::string>{"edit-killfocus", "button-clicked"}), m_wnd.m_log);

    // A command nothing maps goes on to default processing; a window is not a dialog, so it does
    // not reach the application.
    int before = theApp.m_appCommands;
    ::SendMessageW(m_window.get(), WM_COMMAND, MAKEWPARAM(ID_FW_APP_COMMAND, 0), 0);
    EXPECT_EQ(before, theApp.m_appCommands);
    EXPECT_TRUE(OriginalProcSaw(m_window.get(), WM_COMMAND));
}

TEST_F(MessageMapTest, DestroyingTheWindowDetachesTheObjectAndCallsPostNcDestroy) {
    HWND hWnd = m_window.release();
    EXPECT_EQ(&m_wnd, CWnd::FromHandlePermanent(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(m_wnd.m_postNcDestroy);
    EXPECT_EQ(nullptr, m_wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    EXPECT_TRUE(OriginalProcSaw(hWnd, WM_NCDESTROY));
}

TEST(WindowObjectLifetime, DestructorLeavesTheWindowAliveAndRestoresItsProcedure) {
    UniqueWindow window = CreateTestWindow();
    {
        CDerivedTestWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(window.get()));
        EXPECT_NE(reinterpret_cast<LONG_PTR>(TestWindowProc()),
                  ::GetWindowLongPtrW(window.get(), GWLP_WNDPROC));
        // A second object cannot take the same window.
        CBaseTestWnd other;
        EXPECT_FALSE(other.SubclassWindow(window.get()));
        EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(window.get()));
    }
    EXPECT_TRUE(::IsWindow(window.get()));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window.get()));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(TestWindowProc()),
              ::GetWindowLongPtrW(window.get(), GWLP_WNDPROC));
    g_originalProcCalls.clear();
    EXPECT_EQ(kOriginalAnswer, ::SendMessageW(window.get(), kOriginalAnswerMsg, 0, 0));
    EXPECT_TRUE(OriginalProcSaw(window.get(), kOriginalAnswerMsg));
}

// Run-time class information.
class CTestButton : public CButton {
    DECLARE_DYNAMIC(CTestButton)
};
IMPLEMENT_DYNAMIC(CTestButton, CButton)

TEST(RuntimeClass, IsKindOfFollowsTheDeclaredBaseChain) {
    CTestButton button;
    CObject* object = &button;
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CTestButton)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(object->IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_FALSE(object->IsKindOf(RUNTIME_CLASS(CEdit)));
    EXPECT_STREQ("CTestButton", object->GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(static_cast<int>(sizeof(CTestButton)), object->GetRuntimeClass()->m_nObjectSize);

    CDialogEx dialog(IDD_FW_TEST_DIALOG);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_FALSE(dialog.IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_TRUE(theApp.IsKindOf(RUNTIME_CLASS(CWinApp)));
    EXPECT_FALSE(theApp.IsKindOf(RUNTIME_CLASS(CWnd)));
}

// An exception that leaves a handler stops in the framework's procedure and goes to the handler
// the application set, whether the message was sent or posted and dispatched.
constexpr UINT kThrowMsg = WM_APP + 5;
int g_handlerFaults = 0;

class CThrowingWnd : public CWnd {
public:
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler fault"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
ON_MESSAGE(kThrowMsg, OnThrow)
END_MESSAGE_MAP()

TEST(HandlerFault, AnExceptionOutOfAHandlerReachesTheHandlerSetAndTheWindowLivesOn) {
    UniqueWindow window = CreateTestWindow();
    ASSERT_TRUE(window);
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(window.get()));
    g_handlerFaults = 0;
    const AfxHandlerFaultFn previous = AfxSetHandlerFault([] { ++g_handlerFaults; });

    EXPECT_EQ(SendMessageW(window.get(), kThrowMsg, 0, 0), 0);
    EXPECT_EQ(g_handlerFaults, 1);
    ASSERT_TRUE(PostMessageW(window.get(), kThrowMsg, 0, 0));
    MSG msg;
    while (PeekMessageW(&msg, window.get(), kThrowMsg, kThrowMsg, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(g_handlerFaults, 2);
    // The window is still the framework's, and the next message is handled as ever.
    EXPECT_EQ(SendMessageW(window.get(), kOriginalAnswerMsg, 0, 0), kOriginalAnswer);

    AfxSetHandlerFault(previous);
}

} // namespace
