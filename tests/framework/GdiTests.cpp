// Device contexts and GDI objects: what the wrappers draw, that selections are undone and objects
// deleted, and that a thousand draws leave no GDI object behind.
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <set>
#include <vector>
#include "tests/framework/FrameworkTestSupport.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

bool IsGdiObject(HGDIOBJ object) {
    return ::GetObjectType(object) != 0;
}

TEST(GdiObjects, DestructorsDeleteAndDetachHandsOwnershipOver) {
    std::vector<HGDIOBJ> handles;
    {
        CBrush brush(kRed);
        CPen pen(PS_SOLID, 1, kBlue);
        CRgn region;
        const POINT corners[] = {{0, 0}, {10, 0}, {10, 10}};
        ASSERT_TRUE(region.CreatePolygonRgn(corners, 3, ALTERNATE));
        CFont font;
        ASSERT_TRUE(font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, L"Tahoma"));
        handles = {brush.m_hObject, pen.m_hObject, region.m_hObject, font.m_hObject};
        const DWORD types[] = {OBJ_BRUSH, OBJ_PEN, OBJ_REGION, OBJ_FONT};
        for (size_t i = 0; i < handles.size(); ++i)
            EXPECT_EQ(types[i], ::GetObjectType(handles[i])) << i;
        LOGBRUSH info = {};
        EXPECT_EQ(static_cast<int>(sizeof(info)), brush.GetObject(sizeof(info), &info));
        EXPECT_EQ(kRed, info.lbColor);
    }
    for (size_t i = 0; i < handles.size(); ++i)
        EXPECT_FALSE(IsGdiObject(handles[i])) << i;

    UniqueGdiObject kept;
    {
        CBrush brush(kGreen);
        CBrush moved(std::move(brush));
        EXPECT_EQ(nullptr, brush.m_hObject);
        kept.reset(moved.Detach());
    }
    EXPECT_EQ(OBJ_BRUSH, ::GetObjectType(kept.get()));
}

TEST(DeviceContexts, ScopedSelectRestoresTheSelectionBeforeTheObjectIsDeleted) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ originalBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ penHandle = nullptr;
    {
        CPen pen(PS_SOLID, 1, kRed);
        CBrush brush(kBlue);
        ScopedSelect selectPen(dc, pen);
        ScopedSelect selectBrush(dc, brush);
        penHandle = pen.m_hObject;
        EXPECT_EQ(pen.m_hObject, ::GetCurrentObject(dc, OBJ_PEN));
        EXPECT_EQ(brush.m_hObject, ::GetCurrentObject(dc, OBJ_BRUSH));
    }
    EXPECT_EQ(originalPen, ::GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(originalBrush, ::GetCurrentObject(dc, OBJ_BRUSH));
    // Deselected first, so the pen really was deleted rather than kept alive by the DC.
    EXPECT_FALSE(IsGdiObject(penHandle));
}

TEST(DeviceContexts, MadeOrAttachedDcIsDeletedAndBorrowedOneIsNot) {
    HDC ownedHandle = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        ownedHandle = dc.m_hDC;
        EXPECT_EQ(OBJ_MEMDC, ::GetObjectType(ownedHandle));
    }
    EXPECT_FALSE(IsGdiObject(ownedHandle));

    HDC attached = ::CreateCompatibleDC(nullptr);
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(attached));
    }
    EXPECT_FALSE(IsGdiObject(attached));

    UniqueDc borrowed(::CreateCompatibleDC(nullptr));
    {
        CDC dc;
        dc.Borrow(borrowed.get());
    }
    EXPECT_EQ(OBJ_MEMDC, ::GetObjectType(borrowed.get()));
}

// Draws with the wrappers into a memory bitmap and reads the pixels back.
TEST(DeviceContexts, DrawingWrappersPaintWhatTheyAreAskedTo) {
    CClientDC screen(nullptr);
    ASSERT_NE(nullptr, screen.m_hDC);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(&screen));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 40, 30));
    BITMAP info = {};
    ASSERT_NE(0, bitmap.GetBitmap(&info));
    EXPECT_EQ(40, info.bmWidth);
    EXPECT_EQ(30, info.bmHeight);
    ScopedSelect selectBitmap(dc, bitmap);

    dc.FillRect(CRect(0, 0, 40, 30), static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 20, 15));

    CBrush blue(kBlue);
    dc.FillRect(CRect(0, 0, 10, 30), &blue);
    EXPECT_EQ(kBlue, ::GetPixel(dc, 5, 15));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 10, 15));

    CPen red(PS_SOLID, 1, kRed);
    {
        ScopedSelect selectPen(dc, red);
        dc.MoveTo(12, 2);
        dc.LineTo(38, 2);
    }
    EXPECT_EQ(kRed, ::GetPixel(dc, 20, 2));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 20, 3));

    POINT triangle[] = {{12, 10}, {38, 10}, {25, 28}};
    CRgn region;
    ASSERT_TRUE(region.CreatePolygonRgn(triangle, 3, ALTERNATE));
    CBrush green(kGreen);
    dc.FillRgn(&region, &green);
    EXPECT_EQ(kGreen, ::GetPixel(dc, 25, 15));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 13, 27));

    // Copying: the left band stretched into a second bitmap.
    CDC copy;
    ASSERT_TRUE(copy.CreateCompatibleDC(&screen));
    CBitmap copyBitmap;
    ASSERT_TRUE(copyBitmap.CreateCompatibleBitmap(&screen, 20, 20));
    ScopedSelect selectCopy(copy, copyBitmap);
    copy.StretchBlt(0, 0, 20, 20, &dc, 0, 0, 10, 30, SRCCOPY);
    EXPECT_EQ(kBlue, ::GetPixel(copy, 15, 15));
    copy.BitBlt(0, 0, 5, 5, &dc, 20, 2, SRCCOPY);
    EXPECT_EQ(kRed, ::GetPixel(copy, 2, 0));

    CSize extent = dc.GetTextExtent(CString(L"Wide text"));
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    EXPECT_EQ(extent, dc.GetTextExtent(L"Wide text", 9));
}

// A window that paints with every wrapper on each WM_PAINT.
class CPaintingWnd : public CWnd {
public:
    bool m_leakOneBrush = false;
    std::vector<HBRUSH> m_leaked;

    afx_msg void OnPaint() {
        CPaintDC dc(this);
        DrawWithEverything(dc);
        if (m_leakOneBrush)
            m_leaked.push_back(::CreateSolidBrush(kGreen));
    }
    void DrawWithEverything(CDC& target) {
        CRect client;
        GetClientRect(client);
        CDC memory;
        memory.CreateCompatibleDC(&target);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&target, client.Width(), client.Height());
        ScopedSelect selectBitmap(memory, bitmap);
        CBrush brush(kBlue);
        memory.FillRect(client, &brush);
        CPen pen(PS_SOLID, 2, kRed);
        ScopedSelect selectPen(memory, pen);
        ScopedSelect selectBrush(memory, brush);
        memory.RoundRect(5, 5, 60, 40, 4, 4);
        CFont font;
        font.CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
        ScopedSelect selectFont(memory, font);
        memory.SetBkMode(TRANSPARENT);
        memory.SetTextColor(RGB(255, 255, 255));
        CRect textRect(0, 45, client.Width(), client.Height());
        memory.DrawText(CString(L"工作区1"), textRect, DT_CENTER);
        POINT points[] = {{110, 5}, {140, 5}, {125, 30}};
        CRgn region;
        region.CreatePolygonRgn(points, 3, WINDING);
        CBrush regionBrush(kGreen);
        memory.FillRgn(&region, &regionBrush);
        target.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
        CWindowDC windowDC(this);
        windowDC.PatBlt(0, 0, 1, 1, PATCOPY);
        CClientDC clientDC(this);
        m_lastCorner = ::GetPixel(clientDC, 1, 1);
    }
    COLORREF m_lastCorner = CLR_INVALID;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

// The slots of the process's GDI handle table that the next `count` objects get. Freed slots
// are reused most recently freed first, so as long as the process keeps no new object, the same
// set of slots comes back; each object kept in between occupies one of them. (Counting objects
// directly is not possible here: GetGuiResources always answers 0 under Wine.)
std::set<WORD> NextFreeSlots(int count) {
    std::vector<HBRUSH> probes;
    for (int i = 0; i < count; ++i)
        probes.push_back(::CreateSolidBrush(RGB(1, 2, 3)));
    std::set<WORD> slots;
    for (HBRUSH probe : probes) {
        slots.insert(LOWORD(reinterpret_cast<ULONG_PTR>(probe)));
        ::DeleteObject(probe);
    }
    return slots;
}

// How many GDI objects `work` left behind.
int ObjectsKeptBy(const std::function<void()>& work) {
    const int kProbes = 1500;
    std::set<WORD> before = NextFreeSlots(kProbes);
    work();
    std::set<WORD> after = NextFreeSlots(kProbes);
    return static_cast<int>(std::count_if(before.begin(), before.end(),
                                          [&](WORD slot) { return after.count(slot) == 0; }));
}

class GdiLeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateTestWindow(50, 50, 200, 120);
        ASSERT_TRUE(m_window);
        ASSERT_TRUE(m_wnd.SubclassWindow(m_window.get()));
        ASSERT_TRUE(m_paints.Watch(m_window.get()));
        // The first paint may fill caches of the system's own (fonts, DCs).
        RepaintTimes(2);
        m_paints.Clear();
    }
    void RepaintTimes(int times) {
        for (int i = 0; i < times; ++i) {
            m_wnd.Invalidate(FALSE);
            m_wnd.UpdateWindow();
        }
    }

    UniqueWindow m_window;
    CPaintingWnd m_wnd;
    MessageLog m_paints{WM_PAINT}; // goes first: it watches the window over the object
};

TEST_F(GdiLeakTest, AThousandPaintsLeaveNoObjectBehind) {
    int kept = ObjectsKeptBy([&] { RepaintTimes(1000); });
    EXPECT_EQ(1000, m_paints.Count(WM_PAINT));
    EXPECT_LT(kept, 10);
    EXPECT_EQ(kBlue, m_wnd.m_lastCorner);
}

// The measurement itself must notice a paint that keeps one object.
TEST_F(GdiLeakTest, OneObjectKeptPerPaintIsNoticed) {
    m_wnd.m_leakOneBrush = true;
    int kept = ObjectsKeptBy([&] { RepaintTimes(1000); });
    m_wnd.m_leakOneBrush = false;
    for (HBRUSH brush : m_wnd.m_leaked)
        ::DeleteObject(brush);
    EXPECT_EQ(1000u, m_wnd.m_leaked.size());
    EXPECT_GE(kept, 1000);
}

} // namespace
