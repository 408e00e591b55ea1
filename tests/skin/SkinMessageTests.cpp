// The skin's non-client message handling as message sequences: a plain window whose own window
// procedure records every message it gets (that is, the skin's default processing) is
// subclassed by a skinned dialog object, which records the caption buttons it draws.
#include <gtest/gtest.h>

#include <vector>

#include "tests/skin/SkinTestSupport.h"
#include "res/resource.h"
#include "skin/CDiyDialogEx.h"

using namespace skintest;

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD style; // the window's style while the message was processed
};
std::vector<Received> g_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_received.push_back(
        {message, wParam, lParam, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE))});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t kRecorderClass[] = L"SkinRecorder";

void RegisterRecorder() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRecorderClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
}

int CountReceived(UINT message) {
    int n = 0;
    for (const Received& r : g_received)
        n += r.message == message;
    return n;
}

const Received* LastReceived(UINT message) {
    for (auto it = g_received.rbegin(); it != g_received.rend(); ++it) {
        if (it->message == message)
            return &*it;
    }
    return nullptr;
}

struct ButtonStates {
    int close, max, min;
    bool operator==(const ButtonStates& o) const {
        return close == o.close && max == o.max && min == o.min;
    }
};

// A skinned dialog object on a plain window, recording what the skin does.
class RecordingSkin : public CDiyDialogEx {
public:
    RecordingSkin() : CDiyDialogEx(0, ProgramSkin::kCaption) {}
    BOOL AppActive() const { return m_bAppActive; }

    std::vector<ButtonStates> buttons;
    int closeActions = 0;
    int frames = 0;
    int captions = 0;
    int menuBars = 0;

    void DrawCaptionButtons(CDC* dc, int closeState, int maxState, int minState) override {
        buttons.push_back({closeState, maxState, minState});
        CDiyDialogEx::DrawCaptionButtons(dc, closeState, maxState, minState);
    }
    void DrawFrame(CDC* dc, COLORREF fill) override {
        ++frames;
        CDiyDialogEx::DrawFrame(dc, fill);
    }
    void DrawCaption(CDC* dc, COLORREF inactive, COLORREF active) override {
        ++captions;
        CDiyDialogEx::DrawCaption(dc, inactive, active);
    }
    void DrawMenuBar(CDC* dc, CMenu* menu, COLORREF back) override {
        ++menuBars;
        CDiyDialogEx::DrawMenuBar(dc, menu, back);
    }
    void OnCaptionClose() override { ++closeActions; }

    int Pressed() const { return m_nPressedButton; }
    DWORD SavedStyle() const { return m_dwStyle; }
    HBRUSH WhiteBrush() const { return m_hbrWhite; }
};

class SkinMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterRecorder(); }

    // A window at (x, y), subclassed by the skin; `initialise` runs the dialog initialisation
    // that saves the style and switches the skin on.
    void Create(DWORD style, int x, int y, int w = 320, int h = 200, bool initialise = true) {
        m_hwnd.reset(CreateWindowExW(0, kRecorderClass, L"Skin", style, x, y, w, h, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(m_hwnd);
        ASSERT_TRUE(m_skin.SubclassWindow(m_hwnd.get()));
        if (initialise)
            m_skin.OnInitDialog();
        PumpMessages();
        g_received.clear();
        m_skin.buttons.clear();
    }
    void TearDown() override {
        m_skin.UnsubclassWindow();
        m_hwnd.reset();
        g_received.clear();
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(m_hwnd.get(), message, wParam, lParam);
    }
    // A screen point (signed coordinates packed as the system packs them).
    static LPARAM Point(int x, int y) {
        return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                          static_cast<WORD>(static_cast<short>(y)));
    }
    // The screen point, as client coordinates.
    LPARAM ClientPoint(int sx, int sy) {
        POINT pt{sx, sy};
        ScreenToClient(m_hwnd.get(), &pt);
        return Point(pt.x, pt.y);
    }
    int CaptionY() const { return WindowRect(m_hwnd.get()).top + 4; }

    UniqueWindow m_hwnd;
    RecordingSkin m_skin;
};

constexpr DWORD kAllButtons =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE;
constexpr DWORD kAboutLike = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
constexpr DWORD kBarLike = WS_POPUP | WS_BORDER | WS_VISIBLE;

} // namespace

TEST_F(SkinMessages, UnskinnedWindowsGetEverythingByDefaultProcessing) {
    // Before dialog initialisation the saved style is 0: no skin.
    Create(kAboutLike, 100, 100, 320, 200, false);
    EXPECT_EQ(0u, m_skin.SavedStyle());
    Send(WM_NCMOUSELEAVE);
    Send(0x00AE);
    Send(WM_NCPAINT, 1);
    EXPECT_EQ(1, CountReceived(WM_NCMOUSELEAVE));
    EXPECT_EQ(1, CountReceived(0x00AE));
    EXPECT_EQ(1, CountReceived(WM_NCPAINT));
    EXPECT_EQ(0, m_skin.frames);
    TearDown();

    // Neither WS_BORDER nor WS_DLGFRAME in the saved style: no skin either.
    Create(WS_POPUP | WS_VISIBLE, 100, 100);
    Send(WM_NCPAINT, 1);
    Send(WM_NCMOUSELEAVE);
    EXPECT_EQ(1, CountReceived(WM_NCPAINT));
    EXPECT_EQ(1, CountReceived(WM_NCMOUSELEAVE));
    EXPECT_EQ(0, m_skin.frames);
}

TEST_F(SkinMessages, SwallowsCaptionRedrawMouseLeaveAndNonClientPainting) {
    Create(kAboutLike, 100, 100);
    EXPECT_EQ(0, Send(0x00AE, 1, 2));
    EXPECT_EQ(0, Send(WM_NCMOUSELEAVE));
    EXPECT_EQ(0, Send(WM_NCPAINT, 1));
    EXPECT_EQ(TRUE, Send(WM_NCACTIVATE, FALSE));
    PumpMessages();
    EXPECT_EQ(0, CountReceived(0x00AE));
    EXPECT_EQ(0, CountReceived(WM_NCMOUSELEAVE));
    EXPECT_EQ(0, CountReceived(WM_NCPAINT));
    EXPECT_EQ(0, CountReceived(WM_NCACTIVATE));
    // Both paints did frame and caption; the caption ends with all buttons normal.
    EXPECT_EQ(2, m_skin.frames);
    EXPECT_EQ(2, m_skin.captions);
    ASSERT_FALSE(m_skin.buttons.empty());
    EXPECT_EQ((ButtonStates{0, 0, 0}), m_skin.buttons.back());
    // Without a menu the menu bar is never drawn.
    EXPECT_EQ(0, m_skin.menuBars);
    // Other non-client messages go on to default processing.
    Send(WM_NCMOUSEMOVE, HTCAPTION, Point(200, 104));
    EXPECT_EQ(1, CountReceived(WM_NCMOUSEMOVE));
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
    struct Zone {
        int x;
        UINT hit;
    };
    const Zone zones[] = {{right - 49, HTCLOSE},      {right - 8, HTCLOSE},
                          {right - 75, HTMAXBUTTON},  {right - 51, HTMAXBUTTON},
                          {right - 101, HTMINBUTTON}, {right - 77, HTMINBUTTON}};
    for (const Zone& zone : zones) {
        EXPECT_EQ(zone.hit, m_skin.HitTestCaption(HTCAPTION, zone.x, y)) << "x=" << zone.x - left;
        // Through the message the button is client area, so presses come as WM_LBUTTONDOWN.
        EXPECT_EQ(HTCLIENT, Send(WM_NCHITTEST, 0, Point(zone.x, y))) << "x=" << zone.x - left;
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
    const LPARAM inside = Point(left + 150, top + 120);
    EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, inside), Send(WM_NCHITTEST, 0, inside));
}

TEST_F(SkinMessages, ThinBorderWindowKeepsTheSystemsHitCodes) {
    Create(kBarLike, -300, -250, 120, 200);
    const RECT rect = WindowRect(m_hwnd.get());
    for (POINT pt : {POINT{rect.right - 20, rect.top + 3}, POINT{rect.left + 60, rect.top + 50},
                     POINT{rect.right - 1, rect.top + 1}}) {
        const LPARAM lp = Point(pt.x, pt.y);
        EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, lp), Send(WM_NCHITTEST, 0, lp));
    }
    // No buttons: every hover paint shows nothing but "all normal".
    for (const ButtonStates& b : m_skin.buttons)
        EXPECT_EQ((ButtonStates{0, 0, 0}), b);
}

TEST_F(SkinMessages, HoverAndPressDrawTheButtonUnderThePointer) {
    Create(kAllButtons, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const int y = CaptionY();

    Send(WM_NCHITTEST, 0, Point(rect.right - 20, y));
    ASSERT_EQ(1u, m_skin.buttons.size());
    EXPECT_EQ((ButtonStates{1, 0, 0}), m_skin.buttons.back());
    Send(WM_NCHITTEST, 0, Point(rect.right - 60, y));
    EXPECT_EQ((ButtonStates{0, 1, 0}), m_skin.buttons.back());
    Send(WM_NCHITTEST, 0, Point(rect.right - 90, y));
    EXPECT_EQ((ButtonStates{0, 0, 1}), m_skin.buttons.back());
    Send(WM_NCHITTEST, 0, Point(rect.left + 100, y));
    EXPECT_EQ((ButtonStates{0, 0, 0}), m_skin.buttons.back());

    // A press on maximize: pressed look, recorded, no default processing of the press.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(rect.right - 60, y));
    EXPECT_EQ(2, m_skin.Pressed());
    EXPECT_EQ((ButtonStates{0, 2, 0}), m_skin.buttons.back());
    EXPECT_EQ(0, CountReceived(WM_LBUTTONDOWN));

    // While it is held (the mouse is not captured): the held button shows pressed, others nothing.
    m_skin.buttons.clear();
    Send(WM_NCHITTEST, 0, Point(rect.right - 20, y));
    EXPECT_TRUE(m_skin.buttons.empty());
    Send(WM_NCHITTEST, 0, Point(rect.right - 60, y));
    ASSERT_EQ(1u, m_skin.buttons.size());
    EXPECT_EQ((ButtonStates{0, 2, 0}), m_skin.buttons.back());

    // A press above the client area outside every zone clears it.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(rect.left + 100, y));
    EXPECT_EQ(0, m_skin.Pressed());
}

TEST_F(SkinMessages, CloseRunsOnlyForPressAndReleaseOnClose) {
    Create(kAboutLike, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const int y = CaptionY();
    const LPARAM onClose = ClientPoint(rect.right - 20, y);
    const LPARAM onCaption = ClientPoint(rect.left + 100, y);

    // Press on close, release elsewhere on the caption: nothing, and the press is gone.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, onClose);
    EXPECT_EQ(3, m_skin.Pressed());
    Send(WM_LBUTTONUP, 0, onCaption);
    PumpMessages();
    EXPECT_EQ(0, m_skin.closeActions);
    EXPECT_EQ(0, m_skin.Pressed());

    // Press on close, release in the client area: nothing either.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, onClose);
    Send(WM_LBUTTONUP, 0, Point(30, 30));
    EXPECT_EQ(0, m_skin.closeActions);
    EXPECT_EQ(0, m_skin.Pressed());

    // Release on close without a press there: nothing.
    Send(WM_LBUTTONUP, 0, onClose);
    EXPECT_EQ(0, m_skin.closeActions);

    // Press and release on close: the close action, once.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, onClose);
    Send(WM_LBUTTONUP, 0, onClose);
    PumpMessages();
    EXPECT_EQ(1, m_skin.closeActions);
    EXPECT_EQ(0, m_skin.Pressed());
    // Neither press nor release reached default processing; their hit tests did.
    EXPECT_EQ(0, CountReceived(WM_LBUTTONDOWN));
    EXPECT_EQ(0, CountReceived(WM_LBUTTONUP));
    EXPECT_LT(0, CountReceived(WM_NCHITTEST));

    // A non-client release clears a press after default processing.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, onClose);
    Send(WM_NCLBUTTONUP, HTCAPTION, Point(rect.left + 100, y));
    EXPECT_EQ(1, CountReceived(WM_NCLBUTTONUP));
    EXPECT_EQ(0, m_skin.Pressed());
    Send(WM_LBUTTONUP, 0, onClose);
    EXPECT_EQ(1, m_skin.closeActions);
}

TEST_F(SkinMessages, MinimizeAndMaximizeButtonsActOnTheWindow) {
    Create(kAllButtons, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());
    const int y = CaptionY();
    const LPARAM onMax = ClientPoint(rect.right - 60, y);
    // The images one slot (26 pixels) after another, left of the close button at W - 51.
    auto slot = [&](int fromRight) {
        const RECT now = WindowRect(m_hwnd.get());
        const int w = now.right - now.left;
        Send(WM_NCPAINT, 1);
        return CaptureWindow(m_hwnd.get(), RECT{w - fromRight, 0, w - fromRight + 26, 18});
    };
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_MAX), slot(77)));
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_MIN), slot(103)));

    Send(WM_LBUTTONDOWN, MK_LBUTTON, onMax);
    Send(WM_LBUTTONUP, 0, onMax);
    PumpFor(30);
    EXPECT_TRUE(IsZoomed(m_hwnd.get()));
    EXPECT_TRUE(SamePixels(BitmapOfResource(IDB_CAPTION_RESTORE), slot(77)));

    // Zoomed: the same slot now restores. The press is taken at the zoomed window's position.
    const RECT zoomed = WindowRect(m_hwnd.get());
    POINT pt{zoomed.right - 60, zoomed.top + 4};
    ScreenToClient(m_hwnd.get(), &pt);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(pt.x, pt.y));
    Send(WM_LBUTTONUP, 0, Point(pt.x, pt.y));
    PumpFor(30);
    EXPECT_FALSE(IsZoomed(m_hwnd.get()));

    const RECT restored = WindowRect(m_hwnd.get());
    pt = POINT{restored.right - 90, restored.top + 4};
    ScreenToClient(m_hwnd.get(), &pt);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(pt.x, pt.y));
    Send(WM_LBUTTONUP, 0, Point(pt.x, pt.y));
    PumpFor(30);
    EXPECT_TRUE(IsIconic(m_hwnd.get()));
    EXPECT_EQ(0, m_skin.closeActions);
}

TEST_F(SkinMessages, SystemMenuStyleIsOffDuringDefaultProcessing) {
    Create(kAboutLike, 200, 150);
    const RECT rect = WindowRect(m_hwnd.get());

    // WM_SETCURSOR: default processing sees no WS_SYSMENU; afterwards it is back.
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd.get()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const Received* cursor = LastReceived(WM_SETCURSOR);
    ASSERT_NE(nullptr, cursor);
    EXPECT_EQ(0u, cursor->style & WS_SYSMENU);
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);

    // WM_NCLBUTTONDOWN over the close zone: pressed look, toggled style, press not recorded.
    // (The hit-test code HTNOWHERE keeps default processing from starting a tracking loop.)
    Send(WM_NCLBUTTONDOWN, HTNOWHERE, Point(rect.right - 20, rect.top + 4));
    const Received* down = LastReceived(WM_NCLBUTTONDOWN);
    ASSERT_NE(nullptr, down);
    EXPECT_EQ(0u, down->style & WS_SYSMENU);
    EXPECT_EQ((ButtonStates{2, 0, 0}), m_skin.buttons.back());
    EXPECT_EQ(0, m_skin.Pressed());
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);

    Send(WM_NCLBUTTONDBLCLK, HTNOWHERE, Point(rect.left + 100, rect.top + 4));
    const Received* dbl = LastReceived(WM_NCLBUTTONDBLCLK);
    ASSERT_NE(nullptr, dbl);
    EXPECT_EQ(0u, dbl->style & WS_SYSMENU);

    // Over the system menu icon the style stays as it is.
    const LPARAM icon = Point(rect.left + 6, rect.top + 6);
    ASSERT_EQ(HTSYSMENU, DefWindowProcW(m_hwnd.get(), WM_NCHITTEST, 0, icon));
    Send(WM_NCLBUTTONDOWN, HTNOWHERE, icon);
    EXPECT_NE(0u, LastReceived(WM_NCLBUTTONDOWN)->style & WS_SYSMENU);
}

TEST_F(SkinMessages, SystemMenuStyleIsAddedEvenToAWindowWithoutOne) {
    Create(kBarLike, 200, 150, 120, 200);
    ASSERT_EQ(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hwnd.get()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(0u, GetWindowLongW(m_hwnd.get(), GWL_STYLE) & WS_SYSMENU);
    // The saved style, which every skin decision reads, is not touched.
    EXPECT_EQ(0u, m_skin.SavedStyle() & WS_SYSMENU);
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
    g_received.clear();
    const LRESULT editBrush = Send(WM_CTLCOLOREDIT, hdc, control);
    EXPECT_EQ(1, CountReceived(WM_CTLCOLOREDIT));
    EXPECT_EQ(DefWindowProcW(m_hwnd.get(), WM_CTLCOLOREDIT, hdc, control), editBrush);
    EXPECT_NE(staticBrush, editBrush);
}

TEST_F(SkinMessages, MeasureTextOfTwoLines) {
    Create(kAboutLike, 200, 150);
    const CString first = L"Short line";
    const CString second = L"A noticeably longer second line";
    auto joined = [](const CString& a, LPCWSTR separator, const CString& b) {
        CString text = a;
        text += separator;
        text += b;
        return text;
    };
    SIZE a{}, b{};
    {
        HDC hdc = GetDC(m_hwnd.get());
        GetTextExtentPoint32W(hdc, first, first.GetLength(), &a);
        GetTextExtentPoint32W(hdc, second, second.GetLength(), &b);
        ReleaseDC(m_hwnd.get(), hdc);
    }
    ASSERT_GT(b.cx, a.cx);
    // The wider line gives the width; each line adds its height plus 5.
    EXPECT_EQ(CSize(b.cx, (a.cy + 5) + (b.cy + 5)),
              m_skin.MeasureText(joined(first, L"\r\n", second)));
    EXPECT_EQ(CSize(b.cx, (b.cy + 5) + (a.cy + 5)),
              m_skin.MeasureText(joined(second, L"\r\n", first)));
    // A text that starts with the newline is one line.
    const CSize single = m_skin.MeasureText(joined(L"", L"\n", first));
    EXPECT_EQ(a.cy + 5, single.cy);
}

TEST_F(SkinMessages, MenuMessages) {
    Create(kAboutLike, 200, 150);
    // WM_INITMENU: default processing, then one full repaint of the skin.
    UniqueMenu menu(CreateMenu());
    Send(WM_INITMENU, reinterpret_cast<WPARAM>(menu.get()));
    EXPECT_EQ(1, CountReceived(WM_INITMENU));
    EXPECT_EQ(1, m_skin.frames);
    EXPECT_EQ(1, m_skin.captions);

    // WM_MEASUREITEM: the structure comes back untouched, nothing is asked.
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = 7;
    mis.itemWidth = 1234;
    mis.itemHeight = 567;
    Send(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(1234u, mis.itemWidth);
    EXPECT_EQ(567u, mis.itemHeight);
    EXPECT_EQ(0, CountReceived(WM_MEASUREITEM));

    // WM_DRAWITEM for a menu item draws nothing and is not passed on.
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.hDC = dc.GetSafeHdc();
    Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(0, CountReceived(WM_DRAWITEM));
}

TEST_F(SkinMessages, ActivationChangeRepaintsCaptionThenFrameOnce) {
    Create(kAboutLike, 200, 150);
    EXPECT_TRUE(m_skin.AppActive());
    Send(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(m_skin.AppActive());
    EXPECT_EQ(1, m_skin.captions);
    EXPECT_EQ(1, m_skin.frames);
    // The same state again: default processing only.
    Send(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(1, m_skin.captions);
    EXPECT_EQ(2, CountReceived(WM_ACTIVATEAPP));
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(m_skin.AppActive());
    EXPECT_EQ(2, m_skin.captions);
}
