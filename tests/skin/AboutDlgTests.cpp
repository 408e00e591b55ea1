// The About box as a user meets it: placed, painted, and ended by the button, by Escape and by the
// skinned caption's close button, driven through the system's input queue where a user would use
// the mouse or the keyboard.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestSupport.h"
#include "tests/support/Dpi.h"
#include "res/resource.h"
#include "bar/CAboutDlg.h"

using namespace skintest;

namespace {

// The About box with the program icon as its small icon, to show where the caption puts it.
class AboutWithIcon : public CAboutDlg {
public:
    BOOL OnInitDialog() override {
        CAboutDlg::OnInitDialog();
        m_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
        return TRUE;
    }
    HICON m_icon = nullptr; // shared icon from LoadIcon: not destroyed
};

int CaptionHeight() {
    return GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CYSIZE);
}

bool NearWhite(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
}

// First caption column, from `from` up to the close button, with text-coloured pixels.
int CaptionTextStart(HWND hwnd, int from) {
    const RECT rect = WindowRect(hwnd);
    const int w = rect.right - rect.left;
    const Image caption = CaptureWindow(hwnd, RECT{from, 1, w - 51, 1 + CaptionHeight()});
    const PixelSet text = caption.Find(NearWhite);
    return text.count == 0 ? -1 : from + text.box.left;
}

POINT CloseButtonOnScreen(HWND hwnd) {
    const RECT rect = WindowRect(hwnd);
    return POINT{rect.right - 25, rect.top + 8};
}

// The tests press the real mouse button: one that fails midway must not leave it held.
class SkinAboutDialog : public ::testing::Test {
protected:
    void TearDown() override { ReleasePointer(); }
};

} // namespace

TEST_F(SkinAboutDialog, CentredOnThePrimaryScreenAndEndedByEscape) {
    CAboutDlg about;
    const INT_PTR result = RunModal(about, [](HWND hwnd) {
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - w) / 2, rect.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - h) / 2, rect.top);
        // The button became owner-drawn when it was bound.
        EXPECT_EQ(static_cast<LONG>(BS_OWNERDRAW),
                  GetWindowLongW(GetDlgItem(hwnd, IDOK), GWL_STYLE) & BS_TYPEMASK);

        ASSERT_TRUE(BringToForeground(hwnd));
        PressKeys({VK_ESCAPE});
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(SkinAboutDialog, CaptionFollowsApplicationActivation) {
    CAboutDlg about;
    WhileShown(about, [](HWND hwnd) {
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left;
        const int y = CaptionHeight() - 1; // the caption's lowest rows are free of text
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, w - 60, y));
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, 2, y));

        SendMessageW(hwnd, WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_EQ(kCaptionInactive, WindowPixel(hwnd, w - 60, y));
        EXPECT_EQ(kCaptionInactive, WindowPixel(hwnd, 2, y));
        // The corner marks show against the lighter fill; the right one is cut by the image edge.
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, 1, 1));
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, 3, 1));
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, w - 3, 1));
        EXPECT_EQ(kCaptionInactive, WindowPixel(hwnd, 3, 6));
        // A repaint keeps the state the image was built for.
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_EQ(kCaptionInactive, WindowPixel(hwnd, w - 60, y));

        SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, w - 60, y));
        // Frame strips below the caption band, outline outside.
        EXPECT_EQ(kFrame, WindowPixel(hwnd, 1, CaptionHeight() + 5));
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, 0, CaptionHeight() + 5));
    });
}

TEST_F(SkinAboutDialog, CaptionIconAndTextPositions) {
    int plainStart = -1;
    // Nothing gives the About box a small icon: the text starts a margin into the caption.
    CAboutDlg plain;
    WhileShown(plain, [&](HWND hwnd) {
        ASSERT_EQ(0, SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        plainStart = CaptionTextStart(hwnd, 2);
        EXPECT_GT(plainStart, 2) << "text against the caption's edge";
    });
    AboutWithIcon about;
    WhileShown(about, [&](HWND hwnd) {
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        // The icon shows whole on the caption's blue, in the text's place, level with the text
        // that now follows it.
        const Image icon = RenderOffscreen(16, 16, kTitleBlue, [&](HDC hdc) {
            DrawIconEx(hdc, 0, 0, about.m_icon, 16, 16, 0, nullptr, DI_NORMAL);
        });
        const RECT caption{0, 0, WindowRect(hwnd).right - WindowRect(hwnd).left,
                           CaptionHeight() + 1};
        const POINT at = Locate(CaptureWindow(hwnd, caption), icon);
        ASSERT_GE(at.x, 0) << "no whole icon in the caption";
        EXPECT_NEAR(at.x, plainStart, 2);
        const int start = CaptionTextStart(hwnd, at.x + 16);
        EXPECT_GE(start, at.x + 16 + 1);
        EXPECT_LE(start, at.x + 16 + 4);
        const PixelSet text =
            CaptureWindow(hwnd, RECT{start, 1, start + 30, CaptionHeight() + 1}).Find(NearWhite);
        EXPECT_NEAR(1 + (text.box.top + text.box.bottom) / 2.0, at.y + 8, 3);
    });
}

TEST_F(SkinAboutDialog, CloseButtonImagesInEachState) {
    const Image normal = BitmapOfResource(IDB_CAPTION_CLOSE);
    const Image hover = BitmapOfResource(IDB_CAPTION_CLOSE_HOVER);
    const Image pressed = BitmapOfResource(IDB_CAPTION_CLOSE_PRESSED);
    ASSERT_EQ(43, normal.width);
    ASSERT_EQ(18, normal.height);
    ASSERT_FALSE(SamePixels(normal, hover));
    ASSERT_FALSE(SamePixels(hover, pressed));

    CAboutDlg about;
    const INT_PTR result = RunModal(about, [&](HWND hwnd) {
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left;
        const RECT image{w - 51, 0, w - 51 + 43, 18};
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_TRUE(SamePixels(normal, CaptureWindow(hwnd, image)));

        const POINT close = CloseButtonOnScreen(hwnd);
        EXPECT_EQ(HTCLIENT, SendMessageW(hwnd, WM_NCHITTEST, 0, Packed(close.x, close.y)));
        EXPECT_TRUE(SamePixels(hover, CaptureWindow(hwnd, image)));

        POINT client = close;
        ScreenToClient(hwnd, &client);
        ASSERT_LT(client.y, 0);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Packed(client.x, client.y));
        EXPECT_TRUE(SamePixels(pressed, CaptureWindow(hwnd, image)));
        // Any caption repaint shows the buttons normal again.
        SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
        EXPECT_TRUE(SamePixels(normal, CaptureWindow(hwnd, image)));
        // Nothing on the minimize and maximize places: the About box has only the close button.
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, w - 60, CaptionHeight() - 1));

        // The press is still recorded: releasing on close ends the dialog.
        SendMessageW(hwnd, WM_LBUTTONUP, 0, Packed(client.x, client.y));
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(SkinAboutDialog, ClickOnTheCaptionCloseButtonEndsIt) {
    CAboutDlg about;
    const INT_PTR result = RunModal(about, [](HWND hwnd) {
        // A press on close, released on the caption beside it: nothing happens.
        const POINT close = CloseButtonOnScreen(hwnd);
        const RECT rect = WindowRect(hwnd);
        // Over the caption the release comes as a non-client one.
        MessageLog log{WM_LBUTTONDOWN, WM_NCLBUTTONUP};
        ASSERT_TRUE(log.Watch(hwnd));
        MoveCursor(close);
        LeftButton(true);
        ASSERT_TRUE(WaitUntil([&] { return log.Count(WM_LBUTTONDOWN) > 0; }));
        MoveCursor(POINT{rect.left + 150, close.y});
        LeftButton(false);
        ASSERT_TRUE(WaitUntil([&] { return log.Count(WM_NCLBUTTONUP) > 0; }));
        ASSERT_TRUE(IsWindowVisible(hwnd));
        // A second press there within the double-click time would come as a double-click, which
        // the caption buttons do not take.
        PumpFor(GetDoubleClickTime() + 100);
        ClickAt(close);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(SkinAboutDialog, ClickOnTheButtonEndsItWithOk) {
    CAboutDlg about;
    const INT_PTR result = RunModal(about, [](HWND hwnd) {
        const HWND ok = GetDlgItem(hwnd, IDOK);
        const RECT button = WindowRect(ok);
        // The gray face, drawn through the dialog's WM_DRAWITEM: the strip's dark top row.
        const Image face = CaptureWindow(ok, RECT{0, 0, button.right - button.left, 4});
        EXPECT_EQ(BitmapOfResource(IDB_GRAYBTN_MID).At(0, 0), face.At(face.width / 2, 0));
        ClickAt(POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    });
    EXPECT_EQ(IDOK, result);
}

// Run again by tools/test.sh at 144 and 192 dpi: the caption's button and text and the picture
// grow with the screen; the template's dialog units take care of the rest.
TEST(SkinAboutDialogAtDpi, CaptionButtonTextAndPictureScale) {
    ASSERT_EQ(ScreenDpi(), ExpectedDpi());
    const Image close =
        BitmapResource(GetModuleHandleW(nullptr), IDB_CAPTION_CLOSE, Px(43), Px(18));
    const Image picture = BitmapOfResource(IDB_ABOUT);
    CAboutDlg about;
    WhileShown(about, [&](HWND hwnd) {
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left;
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT image{w - Px(51), 0, w - Px(51) + Px(43), Px(18)};
        EXPECT_EQ(Compare(close, CaptureWindow(hwnd, image), 8).count, 0);
        const Image caption = CaptureWindow(hwnd, RECT{2, 1, w - Px(51), 1 + CaptionHeight()});
        const PixelSet text = caption.Find(NearWhite);
        EXPECT_GE(text.box.bottom - text.box.top, Px(9)) << "the caption's text is not scaled";

        HWND shown = nullptr;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                shown = child;
        ASSERT_NE(shown, nullptr);
        const RECT box = WindowRect(shown);
        EXPECT_NEAR(box.right - box.left, picture.width * ExpectedDpi() / 96.0, 1);
        EXPECT_NEAR(box.bottom - box.top, picture.height * ExpectedDpi() / 96.0, 1);
    });
}
