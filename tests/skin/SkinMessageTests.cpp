// The skin's non-client message handling as message sequences: a window of the recording class,
// whose own procedure is what the skin's default processing reaches, is subclassed by a skinned
// dialog object that notes in the same log what it draws and the close action it runs.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/skin/SkinTestSupport.h"
#include "res/resource.h"
#include "skin/CDiyDialogEx.h"

using namespace skintest;

namespace {

// The caption buttons drawn in these states (0 normal, 1 hover, 2 pressed).
std::string Buttons(int close, int max, int min) {
    return "buttons " + std::to_string(close) + " " + std::to_string(max) + " " +
           std::to_string(min);
}

// A skinned dialog object that notes what it draws and its close action in the current log.
class LoggingSkin : public CDiyDialogEx {
public:
    LoggingSkin() : CDiyDialogEx(0, ProgramSkin::kCaption) {}
    void DrawCaptionButtons(CDC* dc, int closeState, int maxState, int minState) override {
        Note(Buttons(closeState, maxState, minState));
        CDiyDialogEx::DrawCaptionButtons(dc, closeState, maxState, minState);
    }
    void DrawFrame(CDC* dc, COLORREF fill) override {
        Note("frame");
        CDiyDialogEx::DrawFrame(dc, fill);
    }
    void DrawCaption(CDC* dc, COLORREF inactive, COLORREF active) override {
        Note("caption");
        CDiyDialogEx::DrawCaption(dc, inactive, active);
    }
    void DrawMenuBar(CDC* dc, CMenu* menu, COLORREF back) override {
        Note("menu bar");
        CDiyDialogEx::DrawMenuBar(dc, menu, back);
    }
    void OnCaptionClose() override { Note("close"); }
};

class SkinMessages : public ::testing::Test {
protected:
    void SetUp() override { ParkCursor(); }
    // A window at (x, y), subclassed by the skin; `initialise` runs the dialog initialisation
    // that saves the style and switches the skin on.
    void Create(DWORD style, int x, int y, int w = 320, int h = 200, bool initialise = true) {
        m_hwnd = m_log.Create(style, RECT{x, y, x + w, y + h});
        ASSERT_TRUE(m_hwnd);
        ASSERT_TRUE(m_skin.SubclassWindow(m_hwnd.get()));
        if (initialise)
            m_skin.OnInitDialog();
        PumpMessages();
        m_log.Clear();
    }
    void TearDown() override {
        m_skin.UnsubclassWindow();
        m_hwnd.reset();
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(m_hwnd.get(), message, wParam, lParam);
    }
    LPARAM ClientPoint(int sx, int sy) {
        POINT pt{sx, sy};
        ScreenToClient(m_hwnd.get(), &pt);
        return Packed(pt.x, pt.y);
    }
    int CaptionY() const { return WindowRect(m_hwnd.get()).top + 4; }

    // What the skin's default processing gets of what the tests send, and of what it sends.
    MessageLog m_log{WM_NCHITTEST,     WM_NCPAINT,     WM_NCACTIVATE,      0x00AE,
                     WM_NCMOUSELEAVE,  WM_NCMOUSEMOVE, WM_LBUTTONDOWN,     WM_LBUTTONUP,
                     WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK, WM_SETCURSOR,
                     WM_INITMENU,      WM_MEASUREITEM, WM_DRAWITEM,        WM_ACTIVATEAPP,
                     WM_CTLCOLOREDIT};
    LoggingSkin m_skin;
    UniqueWindow m_hwnd;
};

constexpr DWORD kAllButtons =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE;
constexpr DWORD kAboutLike = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
constexpr DWORD kBarLike = WS_POPUP | WS_BORDER | WS_VISIBLE;

} // namespace

TEST_F(SkinMessages, UnskinnedWindowsGetEverythingByDefaultProcessing) {
    // Before dialog initialisation the skin has no saved style, so it is off.
    Create(kAboutLike, 100, 100, 320, 200, false);
    Send(WM_NCMOUSELEAVE);
    Send(0x00AE);
    Send(WM_NCPAINT, 1);
    EXPECT_TRUE(m_log.Sequence({WM_NCMOUSELEAVE, 0x00AE, {WM_NCPAINT, 1}}));
    TearDown();

    // Neither WS_BORDER nor WS_DLGFRAME in the saved style: no skin either.
    Create(WS_POPUP | WS_VISIBLE, 100, 100);
    Send(WM_NCPAINT, 1);
    Send(WM_NCMOUSELEAVE);
    EXPECT_TRUE(m_log.Sequence({{WM_NCPAINT, 1}, WM_NCMOUSELEAVE}));
}

TEST_F(SkinMessages, SwallowsCaptionRedrawMouseLeaveAndNonClientPainting) {
    Create(kAboutLike, 100, 100);
    EXPECT_EQ(0, Send(0x00AE, 1, 2));
    EXPECT_EQ(0, Send(WM_NCMOUSELEAVE));
    EXPECT_EQ(0, Send(WM_NCPAINT, 1));
    EXPECT_EQ(TRUE, Send(WM_NCACTIVATE, FALSE));
    PumpMessages();
    // Both paints draw frame and caption, which ends with all buttons normal; without a menu
    // there is no menu bar; nothing reaches default processing.
    EXPECT_TRUE(m_log.Sequence(
        {"frame", "caption", Buttons(0, 0, 0), "frame", "caption", Buttons(0, 0, 0)}));
    // Other non-client messages go on to default processing.
    Send(WM_NCMOUSEMOVE, HTCAPTION, Packed(200, 104));
    EXPECT_TRUE(m_log.Sequence({WM_NCMOUSEMOVE}));
}

TEST_F(SkinMessages, HitCodesOfEachZoneAtNegativeScreenCoordinates) {
    // Left of and above the primary monitor.
    const int left = -700, top = -400, w = 320;
    Create(kAllButtons, left, top, w, 200);
    const RECT rect = WindowRect(m_hwnd.get());
    ASSERT_EQ(left, rect.left);
    ASSERT_EQ(top, rect.top);
    const int right = rect.right;
    const int y = top + 5;

    // The zones in window x: close W-49..W-8, maximize W-75..W-51, minimize W-101..W-77.
    const std::pair<int, UINT> zones[] = {{right - 49, HTCLOSE},      {right - 8, HTCLOSE},
                                          {right - 75, HTMAXBUTTON},  {right - 51, HTMAXBUTTON},
                                          {right - 101, HTMINBUTTON}, {right - 77, HTMINBUTTON}};
    for (const auto& [x, hit] : zones) {
        EXPECT_EQ(hit, m_skin.HitTestCaption(HTCAPTION, x, y)) << "x=" << x - left;
        // Through the message the button is client area, so presses come as WM_LBUTTONDOWN.
        EXPECT_EQ(HTCLIENT, Send(WM_NCHITTEST, 0, Packed(x, y))) << "x=" << x - left;
    }
    // The seams between the zones and the frame edge belong to none of them.
    for (int x : {right - 50, right - 76, right - 7, right - 102})
        EXPECT_EQ(static_cast<UINT>(HTCAPTION), m_skin.HitTestCaption(HTCAPTION, x, y));
    // The system's own button codes are plain caption under the skin.
    EXPECT_EQ(static_cast<UINT>(HTCAPTION), m_skin.HitTestCaption(HTCLOSE, left + 100, y));

    // The band is fy + SM_CYSIZE rows from the top edge.
    const int band = GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CYSIZE);
    EXPECT_EQ(static_cast<UINT>(HTCLOSE), m_skin.HitTestCaption(HTCAPTION, right - 20, top));
    EXPECT_EQ(static_cast<UINT>(HTCLOSE),
              m_skin.HitTestCaption(HTCAPTION, right - 20, top + band - 1));
    EXPECT_EQ(static_cast<UINT>(HTCLIENT), m_skin.HitTestCaption(HTCLIENT, right - 20, top + band));
    EXPECT_EQ(static_cast<UINT>(HTCLIENT), m_skin.HitTestCaption(HTCLIENT, right - 20, top - 1));

    // Elsewhere the system's answer stands.
    const LPARAM inside = Packed(left + 150, top + 120);
    EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, inside), Send(WM_NCHITTEST, 0, inside));
}

TEST_F(SkinMessages, ThinBorderWindowKeepsTheSystemsHitCodes) {
    Create(kBarLike, -300, -250, 120, 200);
    const RECT rect = WindowRect(m_hwnd.get());
    for (POINT pt : {POINT{rect.right - 20, rect.top + 3}, POINT{rect.left + 60, rect.top + 50},
                     POINT{rect.right - 1, rect.top + 1}}) {
        const LPARAM lp = Packed(pt.x, pt.y);
        EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, lp), Send(WM_NCHITTEST, 0, lp));
        // No buttons: each hit test paints them, and only as "all normal".
        EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, Buttons(0, 0, 0)}));
    }
}

TEST_F(SkinMessages, HoverAndPressDrawTheButtonUnderThePointer) {
    Create(kAllButtons, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const int y = CaptionY();
    const int close = rect.right - 20, max = rect.right - 60, min = rect.right - 90;
    const int caption = rect.left + 100;
    auto hover = [&](int x) { Send(WM_NCHITTEST, 0, Packed(x, y)); };

    for (const auto& [x, look] : {std::pair{close, Buttons(1, 0, 0)},
                                  {max, Buttons(0, 1, 0)},
                                  {min, Buttons(0, 0, 1)},
                                  {caption, Buttons(0, 0, 0)}}) {
        hover(x);
        EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, look})) << look;
    }

    // A press on maximize: pressed look, no default processing of the press.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(max, y));
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, Buttons(0, 2, 0)}));
    // While it is held (the mouse is not captured): the held button shows pressed, others
    // nothing.
    hover(close);
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST}));
    hover(max);
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, Buttons(0, 2, 0)}));

    // A press above the client area outside every zone clears it: hovers show again.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(caption, y));
    hover(close);
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, WM_NCHITTEST, Buttons(1, 0, 0)}));
}

TEST_F(SkinMessages, CloseRunsOnlyForPressAndReleaseOnClose) {
    Create(kAboutLike, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const int y = CaptionY();
    const LPARAM onClose = ClientPoint(rect.right - 20, y);
    const LPARAM onCaption = ClientPoint(rect.left + 100, y);
    const LPARAM hoverClose = Packed(rect.right - 20, y), overCaption = Packed(rect.left + 100, y);
    // Each step, and what it leads to. Neither press nor release reaches default processing;
    // their hit tests do. A hover on close after a step shows whether a press is still held.
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM at;
        std::vector<Step> expected;
    } steps[] = {
        {"press on close", WM_LBUTTONDOWN, MK_LBUTTON, onClose, {WM_NCHITTEST, Buttons(2, 0, 0)}},
        {"release beside it", WM_LBUTTONUP, 0, onCaption, {WM_NCHITTEST}},
        {"hover: no press left", WM_NCHITTEST, 0, hoverClose, {WM_NCHITTEST, Buttons(1, 0, 0)}},
        {"press on close", WM_LBUTTONDOWN, MK_LBUTTON, onClose, {WM_NCHITTEST, Buttons(2, 0, 0)}},
        {"release in the client area", WM_LBUTTONUP, 0, Packed(30, 30), {WM_NCHITTEST}},
        {"hover: no press left", WM_NCHITTEST, 0, hoverClose, {WM_NCHITTEST, Buttons(1, 0, 0)}},
        {"release on close unpressed", WM_LBUTTONUP, 0, onClose, {WM_NCHITTEST}},
        {"press on close", WM_LBUTTONDOWN, MK_LBUTTON, onClose, {WM_NCHITTEST, Buttons(2, 0, 0)}},
        {"release on close: closes once", WM_LBUTTONUP, 0, onClose, {WM_NCHITTEST, "close"}},
        {"hover: no press left", WM_NCHITTEST, 0, hoverClose, {WM_NCHITTEST, Buttons(1, 0, 0)}},
        // A non-client release clears a press after default processing.
        {"press on close", WM_LBUTTONDOWN, MK_LBUTTON, onClose, {WM_NCHITTEST, Buttons(2, 0, 0)}},
        {"non-client release", WM_NCLBUTTONUP, HTCAPTION, overCaption, {WM_NCLBUTTONUP}},
        {"release on close", WM_LBUTTONUP, 0, onClose, {WM_NCHITTEST}},
    };
    for (const auto& step : steps) {
        Send(step.message, step.wParam, step.at);
        PumpMessages();
        EXPECT_TRUE(m_log.Sequence(step.expected)) << step.what;
    }
}

TEST_F(SkinMessages, MinimizeAndMaximizeButtonsActOnTheWindow) {
    Create(kAllButtons, 200, 150);
    // The images one slot (26 pixels) after another, left of the close button at W - 51.
    auto slot = [&](int fromRight) {
        const RECT now = WindowRect(m_hwnd.get());
        const int w = now.right - now.left;
        Send(WM_NCPAINT, 1);
        return CaptureWindow(m_hwnd.get(), RECT{w - fromRight, 0, w - fromRight + 26, 18});
    };
    // A click on the caption, x from the right edge of the window as it is now.
    auto click = [&](int fromRight) {
        const RECT now = WindowRect(m_hwnd.get());
        const LPARAM at = ClientPoint(now.right - fromRight, now.top + 4);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Send(WM_LBUTTONUP, 0, at);
    };
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_MAX), slot(77)));
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_MIN), slot(103)));

    click(60);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(m_hwnd.get()) != FALSE; }));
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_RESTORE), slot(77)));

    // Zoomed: the same slot now restores. The press is taken at the zoomed window's position.
    click(60);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(m_hwnd.get()) == FALSE; }));

    click(90);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(m_hwnd.get()) != FALSE; }));
    EXPECT_EQ(0, m_log.Count("close"));
}

TEST_F(SkinMessages, SystemMenuStyleIsOffDuringDefaultProcessing) {
    Create(kAboutLike, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const LPARAM hoverClose = Packed(rect.right - 20, rect.top + 4);
    // WS_SYSMENU as default processing saw it; nothing when the message never got there.
    auto styleWhile = [&](UINT message) {
        const LoggedMessage* seen = m_log.Last(message);
        return seen ? std::optional<DWORD>(seen->style & WS_SYSMENU) : std::nullopt;
    };

    // WM_SETCURSOR: default processing sees no WS_SYSMENU; afterwards it is back.
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd.get()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(0u, styleWhile(WM_SETCURSOR));
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, WM_SETCURSOR}));
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);

    // WM_NCLBUTTONDOWN over the close zone: pressed look, toggled style, the press not held (a
    // hover afterwards shows hover). The hit-test code HTNOWHERE keeps default processing from
    // starting a tracking loop.
    Send(WM_NCLBUTTONDOWN, HTNOWHERE, hoverClose);
    EXPECT_EQ(0u, styleWhile(WM_NCLBUTTONDOWN));
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);
    Send(WM_NCHITTEST, 0, hoverClose);
    EXPECT_TRUE(m_log.Sequence(
        {WM_NCHITTEST, Buttons(2, 0, 0), WM_NCLBUTTONDOWN, WM_NCHITTEST, Buttons(1, 0, 0)}));

    Send(WM_NCLBUTTONDBLCLK, HTNOWHERE, Packed(rect.left + 100, rect.top + 4));
    EXPECT_EQ(0u, styleWhile(WM_NCLBUTTONDBLCLK));
    EXPECT_TRUE(m_log.Sequence({WM_NCHITTEST, WM_NCLBUTTONDBLCLK}));

    // Over the system menu icon the style stays as it is.
    const LPARAM icon = Packed(rect.left + 6, rect.top + 6);
    ASSERT_EQ(HTSYSMENU, DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, icon));
    Send(WM_NCLBUTTONDOWN, HTNOWHERE, icon);
    EXPECT_EQ(static_cast<DWORD>(WS_SYSMENU), styleWhile(WM_NCLBUTTONDOWN));
}

TEST_F(SkinMessages, SystemMenuStyleIsAddedEvenToAWindowWithoutOne) {
    Create(kBarLike, 200, 150, 120, 200);
    const RECT rect = WindowRect(m_hwnd.get());
    ASSERT_EQ(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd.get()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);
    // The saved style, which every skin decision reads, is not touched: still no close zone.
    EXPECT_EQ(static_cast<UINT>(HTCAPTION),
              m_skin.HitTestCaption(HTCAPTION, rect.right - 20, rect.top + 3));
}

TEST_F(SkinMessages, ControlColoursPerType) {
    Create(kAboutLike, 200, 150);
    UniqueWindow child(CreateWindowExW(0, L"Static", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20,
                                       m_hwnd.get(), nullptr, GetModuleHandleW(nullptr), nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    const WPARAM hdc = reinterpret_cast<WPARAM>(dc.GetSafeHdc());
    const LPARAM control = reinterpret_cast<LPARAM>(child.get());
    auto colourOf = [](LRESULT brush) {
        LOGBRUSH lb{};
        GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(lb), &lb);
        return lb.lbColor;
    };

    dc.SetBkMode(OPAQUE);
    const LRESULT staticBrush = Send(WM_CTLCOLORSTATIC, hdc, control);
    EXPECT_EQ(kWhite, colourOf(staticBrush));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));

    for (UINT message : {WM_CTLCOLORMSGBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLORSCROLLBAR}) {
        dc.SetBkMode(OPAQUE);
        EXPECT_EQ(staticBrush, Send(message, hdc, control)) << std::hex << message;
        EXPECT_EQ(OPAQUE, GetBkMode(dc)) << std::hex << message;
    }
    EXPECT_EQ(RGB(255, 250, 240), colourOf(Send(WM_CTLCOLORLISTBOX, hdc, control)));

    // An edit control gets the framework's answer, which here is the system's.
    m_log.Clear();
    const LRESULT editBrush = Send(WM_CTLCOLOREDIT, hdc, control);
    EXPECT_TRUE(m_log.Sequence({WM_CTLCOLOREDIT}));
    EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_CTLCOLOREDIT, hdc, control), editBrush);
    EXPECT_NE(staticBrush, editBrush);
}

TEST_F(SkinMessages, MeasureTextOfTwoLines) {
    Create(kAboutLike, 200, 150);
    const std::wstring first = L"Short line";
    const std::wstring second = L"A noticeably longer second line";
    auto measure = [&](const std::wstring& text) { return m_skin.MeasureText(text.c_str()); };
    CClientDC dc(&m_skin);
    const CSize a = dc.GetTextExtent(first.c_str()), b = dc.GetTextExtent(second.c_str());
    ASSERT_GT(b.cx, a.cx);
    // The wider line gives the width; each line adds its height plus 5.
    EXPECT_EQ(CSize(b.cx, (a.cy + 5) + (b.cy + 5)), measure(first + L"\r\n" + second));
    EXPECT_EQ(CSize(b.cx, (b.cy + 5) + (a.cy + 5)), measure(second + L"\r\n" + first));
    // A text that starts with the newline is one line.
    const CSize single = measure(L"\n" + first);
    EXPECT_EQ(a.cy + 5, single.cy);
}

TEST_F(SkinMessages, MenuMessages) {
    Create(kAboutLike, 200, 150);
    // WM_INITMENU: default processing, then one full repaint of the skin.
    UniqueMenu menu(CreateMenu());
    Send(WM_INITMENU, reinterpret_cast<WPARAM>(menu.get()));
    EXPECT_TRUE(m_log.Sequence({WM_INITMENU, "frame", "caption", Buttons(0, 0, 0)}));

    // WM_MEASUREITEM: the structure comes back untouched, nothing is asked.
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = 7;
    mis.itemWidth = 1234;
    mis.itemHeight = 567;
    Send(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(1234u, mis.itemWidth);
    EXPECT_EQ(567u, mis.itemHeight);

    // WM_DRAWITEM for a menu item draws nothing and is not passed on.
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.hDC = dc.GetSafeHdc();
    Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    EXPECT_TRUE(m_log.Sequence({}));
}

// The skin starts out active; only a change of state repaints, caption first, then the frame.
TEST_F(SkinMessages, ActivationChangeRepaintsCaptionThenFrameOnce) {
    Create(kAboutLike, 200, 150);
    const std::vector<Step> repaint = {WM_ACTIVATEAPP, "caption", Buttons(0, 0, 0), "frame"};
    // To the state, and whether it repaints.
    const std::pair<BOOL, bool> steps[] = {
        {TRUE, false}, {FALSE, true}, {FALSE, false}, {TRUE, true}, {TRUE, false}};
    for (const auto& [active, repaints] : steps) {
        Send(WM_ACTIVATEAPP, active, 0);
        EXPECT_TRUE(m_log.Sequence(repaints ? repaint : std::vector<Step>{WM_ACTIVATEAPP}))
            << "to " << active;
    }
}
