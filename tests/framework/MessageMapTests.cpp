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
const UINT kUnmappedMsg = kRecorderAskMsg;
const UINT s_registeredMsg = ::RegisterWindowMessageW(L"ZelvanorFrameworkTestRegistered");
const int kEditId = 501;
const int kButtonId = 502;

// What the test windows' DefWindowProc notes for the tests' own messages.
std::string DefaultNote(UINT message, WPARAM wParam, LPARAM lParam) {
    return "default " + std::to_string(message - WM_APP) + " (" + std::to_string(wParam) + ", " +
           std::to_string(lParam) + ")";
}

class CBaseTestWnd : public CWnd {
public:
    afx_msg LRESULT OnBaseOnly(WPARAM, LPARAM) {
        Note("base-only");
        return 11;
    }
    afx_msg LRESULT OnSharedInBase(WPARAM, LPARAM) {
        Note("base-shared");
        return 12;
    }
    afx_msg virtual void OnVirtualCommand() { Note("base-virtual"); }
    afx_msg virtual void OnQualifiedCommand() { Note("base-qualified"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
ON_MESSAGE(kBaseOnlyMsg, OnBaseOnly)
ON_MESSAGE(kSharedMsg, OnSharedInBase)
ON_COMMAND(ID_FW_VIRTUAL, OnVirtualCommand)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
public:
    afx_msg LRESULT OnSharedInDerived(WPARAM, LPARAM) {
        Note("derived-shared");
        return 22;
    }
    void OnVirtualCommand() override { Note("derived-virtual"); }
    void OnQualifiedCommand() override { Note("derived-qualified"); }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM) {
        Note("registered:" + std::to_string(wParam));
        return 33;
    }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point) {
        Note("down " + std::to_string(nFlags) + " at " + std::to_string(point.x) + "," +
             std::to_string(point.y));
        CBaseTestWnd::OnLButtonDown(nFlags, point);
    }
    // Handles a nested message first, then asks for default processing of its own.
    afx_msg LRESULT OnDefaultMsg(WPARAM, LPARAM) {
        SendMessage(kNestedMsg, 7, 8);
        return Default();
    }
    afx_msg LRESULT OnNestedMsg(WPARAM, LPARAM) {
        Note("nested");
        return 0;
    }
    afx_msg void OnEditKillFocus() { Note("edit-killfocus"); }
    afx_msg void OnButtonClicked() { Note("button-clicked"); }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_APP && message < 0xC000)
            Note(DefaultNote(message, wParam, lParam));
        if (message == kDefaultMsg)
            return 44;
        return CBaseTestWnd::DefWindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { Note("PostNcDestroy"); }

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

// The handlers' notes, and what of the tests' messages reaches the window's own procedure.
class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateTestWindow();
        ASSERT_TRUE(m_window);
        ASSERT_TRUE(m_wnd.SubclassWindow(m_window.get()));
        m_log.Clear();
    }
    void TearDown() override { PumpMessages(); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_window.get(), message, wParam, lParam);
    }

    MessageLog m_log{kBaseOnlyMsg,    kSharedMsg, kDefaultMsg,    kNestedMsg,  kUnmappedMsg,
                     s_registeredMsg, WM_COMMAND, WM_LBUTTONDOWN, WM_NCDESTROY};
    UniqueWindow m_window;
    CDerivedTestWnd m_wnd;
};

TEST_F(MessageMapTest, DerivedEntryWinsAndBaseMapIsConsultedNext) {
    EXPECT_EQ(22, Send(kSharedMsg));
    EXPECT_EQ(11, Send(kBaseOnlyMsg));
    // Mapped messages do not reach the window's own procedure.
    EXPECT_TRUE(m_log.Sequence({"derived-shared", "base-only"}));
}

TEST_F(MessageMapTest, UnmappedMessagesReachThePreviousProcedureThroughDefWindowProc) {
    EXPECT_EQ(kRecorderAnswer, Send(kUnmappedMsg, 5, 6));
    EXPECT_TRUE(m_log.Sequence({DefaultNote(kUnmappedMsg, 5, 6), {kUnmappedMsg, 5, 6}}));
    // The window still behaves as its class makes it: its text goes through to the system.
    m_wnd.SetWindowText(L"renamed");
    CString text;
    m_wnd.GetWindowText(text);
    EXPECT_EQ(CString(L"renamed"), text);
}

TEST_F(MessageMapTest, PostedAndRegisteredMessagesAreDispatched) {
    ASSERT_NE(0u, s_registeredMsg);
    EXPECT_EQ(33, Send(s_registeredMsg, 5));
    ::PostMessageW(m_window.get(), s_registeredMsg, 6, 0);
    WaitUntil([&] { return m_log.Count("registered:6") > 0; });
    EXPECT_TRUE(m_log.Sequence({"registered:5", "registered:6"}));
}

TEST_F(MessageMapTest, VirtualHandlerGoesThroughTheVirtualTableAndQualifiedOneDoesNot) {
    // The base map names OnVirtualCommand unqualified: the derived override runs.
    Send(WM_COMMAND, MAKEWPARAM(ID_FW_VIRTUAL, 0));
    // The derived map names CBaseTestWnd::OnQualifiedCommand: the base body runs.
    Send(WM_COMMAND, MAKEWPARAM(ID_FW_QUALIFIED, 0));
    // An accelerator (code 1, no control) is a plain command as well.
    Send(WM_COMMAND, MAKEWPARAM(ID_FW_VIRTUAL, 1));
    EXPECT_TRUE(m_log.Sequence({"derived-virtual", "base-qualified", "derived-virtual"}));
}

TEST_F(MessageMapTest, MouseHandlerUnpacksSignedPointAndCanCallTheBaseForDefault) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-5), 40));
    // CWnd::OnLButtonDown did default processing: the window's own procedure saw the press.
    EXPECT_TRUE(m_log.Sequence({"down 1 at -5,40", {WM_LBUTTONDOWN, MK_LBUTTON}}));
}

TEST_F(MessageMapTest, DefaultReachesOverriddenDefWindowProcWithTheCurrentMessage) {
    EXPECT_EQ(44, Send(kDefaultMsg, 123, 456));
    // The nested message in between did not change what Default() passes on, and the override's
    // answer stood: the window's own procedure never saw the message.
    EXPECT_TRUE(m_log.Sequence({"nested", DefaultNote(kDefaultMsg, 123, 456)}));
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
    m_log.Clear();

    ::SetFocus(edit);
    ::SetFocus(m_window.get());
    PumpMessages();
    ::SendMessageW(button, BM_CLICK, 0, 0);
    WaitUntil([&] { return m_log.Count("button-clicked") > 0; });
    // The unmapped notification goes on to default processing.
    EXPECT_TRUE(m_log.Sequence(
        {{WM_COMMAND, MAKEWPARAM(kEditId, EN_SETFOCUS)}, "edit-killfocus", "button-clicked"}));

    // A command nothing maps goes on to default processing; a window is not a dialog, so it does
    // not reach the application.
    Send(WM_COMMAND, MAKEWPARAM(ID_FW_APP_COMMAND, 0));
    EXPECT_TRUE(m_log.Sequence({WM_COMMAND}));
}

TEST_F(MessageMapTest, DestroyingTheWindowDetachesTheObjectAndCallsPostNcDestroy) {
    HWND hWnd = m_window.release();
    EXPECT_EQ(&m_wnd, CWnd::FromHandlePermanent(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(m_log.Sequence({WM_NCDESTROY, "PostNcDestroy"}));
    EXPECT_EQ(nullptr, m_wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(WindowObjectLifetime, DestructorLeavesTheWindowAliveAndRestoresItsProcedure) {
    MessageLog log{kRecorderAskMsg};
    UniqueWindow window = CreateTestWindow();
    const LONG_PTR ownProcedure = ::GetClassLongPtrW(window.get(), GCLP_WNDPROC);
    {
        CDerivedTestWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(window.get()));
        EXPECT_NE(ownProcedure, ::GetWindowLongPtrW(window.get(), GWLP_WNDPROC));
        // A second object cannot take the same window.
        CBaseTestWnd other;
        EXPECT_FALSE(other.SubclassWindow(window.get()));
        EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(window.get()));
    }
    EXPECT_TRUE(::IsWindow(window.get()));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window.get()));
    EXPECT_EQ(ownProcedure, ::GetWindowLongPtrW(window.get(), GWLP_WNDPROC));
    EXPECT_EQ(kRecorderAnswer, ::SendMessageW(window.get(), kRecorderAskMsg, 0, 0));
    EXPECT_TRUE(log.Sequence({kRecorderAskMsg}));
}

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
    MessageLog log{kRecorderAskMsg};
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
    while (PeekMessageW(&msg, window.get(), kThrowMsg, kThrowMsg, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(g_handlerFaults, 2);
    // The window is still the framework's, and the next message is handled as ever.
    EXPECT_EQ(SendMessageW(window.get(), kRecorderAskMsg, 0, 0), kRecorderAnswer);
    EXPECT_TRUE(log.Sequence({kRecorderAskMsg}));

    AfxSetHandlerFault(previous);
}

} // namespace
