// The gray button: its faces by draw state, and on a real skinned dialog its hover tracking and
// pressed look under real mouse input, reached through the dialog's WM_DRAWITEM.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestResources.h"
#include "tests/skin/SkinTestSupport.h"
#include "res/resource.h"
#include "skin/CGrayButton.h"
#include "skin/CDiyDialogEx.h"

using namespace skintest;

namespace {

constexpr COLORREF kFlat = RGB(221, 221, 221);
constexpr COLORREF kOutline = RGB(191, 191, 191);
constexpr COLORREF kUnpainted = RGB(255, 0, 255);

class TestGrayButton : public CGrayButton {
public:
    TestGrayButton() : CGrayButton(ProgramSkin::kGrayButton) {}
    BOOL Hover() const { return m_bHover; }
    BOOL Tracking() const { return m_bTracking; }
};

// A thin-border skinned dialog with an enabled and a disabled gray button of exact pixel sizes.
class ButtonDialog : public CDiyDialogEx {
public:
    ButtonDialog() : CDiyDialogEx(IDD_TEST_BUTTON_DIALOG, ProgramSkin::kCaption) {}
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_BUTTON, button);
        DDX_Control(pDX, IDC_TEST_DISABLED_BUTTON, disabled);
    }
    BOOL OnInitDialog() override {
        CDiyDialogEx::OnInitDialog();
        button.MoveWindow(10, 10, 80, 32);
        disabled.MoveWindow(10, 60, 80, 32);
        return TRUE;
    }
    TestGrayButton button;
    TestGrayButton disabled;
};

// The face a state gives, drawn by the button's own DrawItem into an off-screen bitmap.
Image Face(CGrayButton& button, UINT state) {
    CRect client;
    button.GetClientRect(&client);
    return RenderOffscreen(client.Width(), client.Height(), kUnpainted, [&](HDC hdc) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.hwndItem = button.m_hWnd;
        dis.itemState = state;
        dis.hDC = hdc;
        dis.rcItem = client;
        button.DrawItem(&dis);
    });
}

Image ButtonOnScreen(CWnd& button) {
    CRect client;
    button.GetClientRect(&client);
    return CaptureWindow(button.m_hWnd, client);
}

bool IsDark(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100;
}

// The strip's rows 0-1 and its last two rows are kept at full size at both edges of the face.
::testing::AssertionResult ShowsStripEdges(const Image& face, UINT midId) {
    const Image mid = BitmapOfResource(midId);
    const int x = face.width / 2, h = face.height;
    for (int row : {0, 1}) {
        if (face.At(x, row) != mid.At(0, row))
            return ::testing::AssertionFailure() << "top row " << row;
        if (face.At(x, h - 2 + row) != mid.At(0, mid.height - 2 + row))
            return ::testing::AssertionFailure() << "bottom row " << row;
    }
    return ::testing::AssertionSuccess();
}

// A 32-pixel-high face shows its caps unstretched.
::testing::AssertionResult ShowsCaps(const Image& face, UINT leftId, UINT rightId) {
    if (auto left = SamePixels(BitmapOfResource(leftId), face.Crop(0, 0, 3, 32)); !left)
        return left << " (left cap)";
    const Image rightCap = face.Crop(face.width - 3, 0, face.width, 32);
    if (auto right = SamePixels(BitmapOfResource(rightId), rightCap); !right)
        return right << " (right cap)";
    return ::testing::AssertionSuccess();
}

// Waits until the button shows `face` on the screen; the failure names a pixel that differs.
::testing::AssertionResult Shows(CWnd& button, const Image& face) {
    ::testing::AssertionResult same = ::testing::AssertionFailure();
    WaitUntil([&] { return static_cast<bool>(same = SamePixels(face, ButtonOnScreen(button))); });
    return same;
}

class SkinGrayButton : public ::testing::Test {
protected:
    void SetUp() override {
        m_parent.reset(CreateWindowExW(0, L"Static", L"", WS_POPUP, 300, 300, 200, 100, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
        m_child = CreateWindowExW(0, L"Button", L"Go", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10,
                                  10, 80, 32, m_parent.get(), nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_child);
        SendMessageW(m_child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        m_styleBefore = GetWindowLongW(m_child, GWL_STYLE);
        ASSERT_TRUE(m_button.SubclassWindow(m_child));
    }
    void TearDown() override {
        m_button.UnsubclassWindow();
        ParkCursor();
    }

    UniqueWindow m_parent;
    HWND m_child = nullptr; // destroyed with its parent
    LONG m_styleBefore = 0;
    TestGrayButton m_button;
};

// The dialog test moves the real pointer; it is parked again whatever the test stopped at.
class SkinGrayButtonOnDialog : public ::testing::Test {
protected:
    void TearDown() override { ParkCursor(); }
};

} // namespace

TEST_F(SkinGrayButton, BindingMakesTheButtonOwnerDrawn) {
    // The default-push-button type 1 becomes 0xB; nothing else changes.
    const LONG style = GetWindowLongW(m_child, GWL_STYLE);
    ASSERT_EQ(static_cast<LONG>(BS_DEFPUSHBUTTON), m_styleBefore & BS_TYPEMASK);
    EXPECT_EQ(static_cast<LONG>(BS_OWNERDRAW), style & BS_TYPEMASK);
    EXPECT_EQ(m_styleBefore & ~BS_TYPEMASK, style & ~BS_TYPEMASK);
}

TEST_F(SkinGrayButton, FaceByState) {
    const Image normal = Face(m_button, 0);
    EXPECT_TRUE(ShowsStripEdges(normal, IDB_GRAYBTN_MID));
    EXPECT_TRUE(ShowsCaps(normal, IDB_GRAYBTN_LEFT, IDB_GRAYBTN_RIGHT));
    EXPECT_GT(normal.Find(IsDark).count, 0) << "black text";
    // Focus and the default state change nothing.
    EXPECT_TRUE(SamePixels(normal, Face(m_button, ODS_FOCUS | ODS_DEFAULT)));

    const Image pressed = Face(m_button, ODS_SELECTED);
    EXPECT_TRUE(ShowsStripEdges(pressed, IDB_GRAYBTN_PRESSED_MID));
    EXPECT_TRUE(ShowsCaps(pressed, IDB_GRAYBTN_PRESSED_LEFT, IDB_GRAYBTN_PRESSED_RIGHT));
    // Pressed wins over hot.
    EXPECT_TRUE(SamePixels(pressed, Face(m_button, ODS_SELECTED | ODS_HOTLIGHT)));

    const Image hot = Face(m_button, ODS_HOTLIGHT);
    EXPECT_TRUE(ShowsStripEdges(hot, IDB_GRAYBTN_HOVER_MID));
    EXPECT_FALSE(SamePixels(normal, hot));

    // Disabled: flat grey with white text, whatever else the state says.
    const Image disabled = Face(m_button, ODS_DISABLED);
    EXPECT_EQ(kFlat, disabled.At(0, 0));
    EXPECT_EQ(kFlat, disabled.At(disabled.width - 1, disabled.height - 1));
    EXPECT_GT(disabled.Count(kWhite), 0);
    EXPECT_EQ(disabled.Find(IsDark).count, 0);
    EXPECT_TRUE(SamePixels(disabled, Face(m_button, ODS_DISABLED | ODS_SELECTED | ODS_HOTLIGHT)));

    // Grayed: a rounded grey rectangle with a darker outline and white text.
    const Image grayed = Face(m_button, ODS_GRAYED);
    EXPECT_EQ(kOutline, grayed.At(grayed.width / 2, 0));
    EXPECT_EQ(kOutline, grayed.At(0, grayed.height / 2));
    EXPECT_EQ(kFlat, grayed.At(4, 4));
    EXPECT_NE(kOutline, grayed.At(0, 0)) << "rounded corner";
    EXPECT_GT(grayed.Count(kWhite), 0);
}

TEST_F(SkinGrayButton, TwentyThreePixelsHigh) {
    MoveWindow(m_child, 10, 10, 80, 23, FALSE);
    const Image face = Face(m_button, 0);
    ASSERT_EQ(23, face.height);
    // The strip's two top and two bottom rows at full size; everything covered, caps included.
    EXPECT_TRUE(ShowsStripEdges(face, IDB_GRAYBTN_MID));
    EXPECT_EQ(face.Count(kUnpainted), 0);
    // The caps are squeezed as a whole: their light rounded ends land on the face's first and
    // last rows (a cap drawn at its own height and cut off would show its dark middle there).
    const Image left = BitmapOfResource(IDB_GRAYBTN_LEFT);
    EXPECT_EQ(left.At(0, 0), face.At(0, 0));
    EXPECT_GT(GetRValue(face.At(0, 22)), GetRValue(left.At(0, 22)));
    EXPECT_GT(face.Find(IsDark).count, 0) << "text";
}

TEST_F(SkinGrayButton, HoverTrackingFollowsMouseMessages) {
    EXPECT_FALSE(m_button.Hover());
    EXPECT_FALSE(m_button.Tracking());
    ShowWindow(m_parent.get(), SW_SHOWNOACTIVATE);
    // Keep the pointer on the button so the tracking the move arms stays.
    const RECT rect = WindowRect(m_child);
    MoveCursor(POINT{rect.left + 40, rect.top + 16});
    ASSERT_TRUE(WaitUntil([&] { return m_button.Hover() && m_button.Tracking(); }));

    // Leaving: hover off, tracking off, the whole button to be repainted.
    ValidateRect(m_child, nullptr);
    SendMessageW(m_child, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(m_button.Hover());
    EXPECT_FALSE(m_button.Tracking());
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(m_child, &update, FALSE));
    EXPECT_EQ(80, update.right - update.left);

    // The next move arms tracking again.
    SendMessageW(m_child, WM_MOUSEMOVE, 0, MAKELPARAM(40, 16));
    EXPECT_TRUE(m_button.Tracking());
}

TEST_F(SkinGrayButtonOnDialog, HoverPressAndDisabledFacesUnderTheMouse) {
    ButtonDialog dialog;
    WhileShown(dialog, [&dialog](HWND) {
        const Image normal = Face(dialog.button, 0);
        const Image hover = Face(dialog.button, ODS_HOTLIGHT);
        const Image pressed = Face(dialog.button, ODS_SELECTED);
        const RECT rect = WindowRect(dialog.button.m_hWnd);
        const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        const POINT outside{rect.right + 30, rect.bottom + 30};

        MoveCursor(outside);
        EXPECT_TRUE(Shows(dialog.button, normal));

        // The hover face once the mouse rests on it.
        MoveCursor(centre);
        EXPECT_TRUE(Shows(dialog.button, hover));
        EXPECT_TRUE(dialog.button.Hover());

        // Pressed while hovered: the pressed face; released, hovered again.
        LeftButton(true);
        EXPECT_TRUE(Shows(dialog.button, pressed));
        LeftButton(false);
        EXPECT_TRUE(Shows(dialog.button, hover));

        // Out of the button: the hover face goes at once; back in, it returns.
        MoveCursor(outside);
        EXPECT_TRUE(Shows(dialog.button, normal));
        EXPECT_FALSE(dialog.button.Hover());
        MoveCursor(centre);
        EXPECT_TRUE(Shows(dialog.button, hover));

        // The disabled button stays flat whatever the mouse does; the enabled one's leaving
        // shows that the pointer has got there.
        const RECT off = WindowRect(dialog.disabled.m_hWnd);
        MoveCursor(POINT{(off.left + off.right) / 2, (off.top + off.bottom) / 2});
        EXPECT_TRUE(Shows(dialog.button, normal));
        const Image flat = ButtonOnScreen(dialog.disabled);
        EXPECT_EQ(kFlat, flat.At(0, 0));
        EXPECT_TRUE(SamePixels(Face(dialog.disabled, ODS_DISABLED), flat));
    });
}
