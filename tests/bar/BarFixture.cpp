#include "tests/bar/BarFixture.h"
#include "tests/support/Dpi.h"
#include "tests/support/WineSettings.h"
#include <algorithm>
#include <cstdio>

namespace bartest {

namespace {

// Pixels off the background that lean to red: the hover text and its blended edges. The row
// backgrounds are pale blue, and grey text blended into them never leans to red.
int Reddish(const Image& shown, const Image& background) {
    int count = 0;
    for (size_t i = 0; i < shown.pixels.size() && i < background.pixels.size(); ++i) {
        const COLORREF p = shown.pixels[i];
        count += ChannelDistance(p, background.pixels[i]) > kTolerance &&
                 GetRValue(p) - std::max(GetGValue(p), GetBValue(p)) > 30;
    }
    return count;
}

} // namespace

void BarTest::SetUp() {
    ParkCursor();
    ASSERT_TRUE(m_bar.Start(ProgramCopy(L"")));
    ASSERT_EQ(m_bar.ClientSize().cx, Layout().clientWidth);
}

void BarTest::TearDown() {
    if (HasFailure() && m_bar.Running()) {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string(info->test_suite_name()) + "." + info->name();
        const RECT r = m_bar.WindowRect();
        SaveBitmapFile(CaptureScreen(RECT{r.left - 40, r.top - 40, r.right + 40, r.bottom + 40}),
                       ExeDir() + L"\\failed-" + std::wstring(name.begin(), name.end()) + L".bmp");
    }
    m_bar.Stop();
    ParkCursor();
    LeftButton(false); // in case a test ended with the button held
    for (const std::wstring& copy : m_copies)
        DeleteFileW(copy.c_str());
}

std::wstring BarTest::ProgramCopy(const std::wstring& folder) {
    // Its name still ends in the program's own, which the program looks for to tell its own
    // dialogs from other programs' windows.
    const std::wstring name = L"UnmanagedZelvanor.exe";
    TurnOffWineX11Setting(name, L"Managed");
    const std::wstring path = ExeDir() + (folder.empty() ? L"" : L"\\" + folder) + L"\\" + name;
    if (CopyFileW(ProgramPath().c_str(), path.c_str(), FALSE))
        m_copies.push_back(path);
    return path;
}

::testing::AssertionResult BarTest::MovesTo(int left, int top, int wantLeft, int wantTop) const {
    const RECT before = m_bar.WindowRect();
    const RECT want{wantLeft, wantTop, wantLeft + (before.right - before.left),
                    wantTop + (before.bottom - before.top)};
    if (!m_bar.MoveTo(left, top))
        return ::testing::AssertionFailure() << "the bar did not take the move";
    return SettlesAt(want) << ", moved to (" << left << ", " << top << ")";
}

::testing::AssertionResult BarTest::SettlesAt(const RECT& want) const {
    if (m_bar.WaitWindow([&](const RECT& r) { return EqualRect(&r, &want) != FALSE; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected " << Text(want) << ", seen " << Text(m_bar.WindowRect());
}

std::string BarTest::Text(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof(text), "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

const Image& BarTest::RowBackground(RowKind kind) {
    static const Image current = ProgramBitmap(IDB_AREA_ROW_SELECTED, kClientWidth, kRowHeight);
    static const Image other = ProgramBitmap(IDB_AREA_ROW, kClientWidth, kRowHeight);
    return kind == kCurrent ? current : other;
}

::testing::AssertionResult BarTest::WaitRow(int row, RowKind kind, bool hover,
                                            PixelSet* text) const {
    const Image& background = RowBackground(kind);
    if (background.Empty() || RowBackground(kCurrent) == RowBackground(kOther))
        return ::testing::AssertionFailure() << "the row bitmaps cannot be told apart";
    // The bar's last client row belongs to the frame's bottom strip whenever the frame is painted
    // after the rows, so no row's last line is compared.
    const Image expected = background.Crop(0, 0, kClientWidth, kRowHeight - 1);
    // Glyph edges are blended with the background: the exact colour is looked for in a few
    // pixels, the hue in all of them.
    const COLORREF wanted = hover ? kHoverText : kRowText;
    const COLORREF unwanted = hover ? kRowText : kHoverText;
    Image shown;
    PixelSet diff;
    int reddish = 0;
    const bool ok = m_bar.WaitPixels(
        RECT{0, RowTop(row), kClientWidth, RowTop(row) + kRowHeight - 1},
        [&](const Image& s) {
            diff = Compare(s, expected, kTolerance);
            reddish = Reddish(s, expected);
            return diff.count > 0 && diff.box.left >= 20 && diff.box.right <= 100 &&
                   diff.box.top >= 5 && diff.box.bottom <= 25 &&
                   s.Count(wanted) - expected.Count(wanted) >= 3 &&
                   s.Count(unwanted) == expected.Count(unwanted) &&
                   (hover ? reddish >= 10 : reddish == 0);
        },
        &shown);
    if (text)
        *text = diff;
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "row " << row << (kind == kCurrent ? " (current)" : "") << (hover ? " (hover)" : "")
           << ": " << diff.count << " pixels off the background in " << Text(diff.box) << ", "
           << shown.Count(wanted) << " of the text colour, " << shown.Count(unwanted)
           << " of the other one, " << reddish << " reddish";
}

bool BarTest::WaitButtons(UINT closeId, UINT collapseId, Image* strip) const {
    const Image close = ProgramBitmap(closeId);
    const Image collapse = ProgramBitmap(collapseId);
    const int w = Width();
    return !close.Empty() && !collapse.Empty() &&
           m_bar.WaitPixels(
               RECT{0, 0, w, kTitleHeight},
               [&](const Image& s) {
                   return s.Crop(w - kCloseOffset, 0, w, kButtonHeight) == close &&
                          s.Crop(w - kCollapseOffset, 0, w - kCloseOffset, kButtonHeight) ==
                              collapse;
               },
               strip);
}

} // namespace bartest
