#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include "WineDecorations.h"

namespace skintest {

namespace {

// A window DC released on every path.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_hdc(GetWindowDC(hwnd)) {}
    ~WindowDc() {
        if (m_hdc != nullptr)
            ReleaseDC(m_hwnd, m_hdc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// Runs before the first window of the test program exists.
class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DisableWindowManagerDecorations(); }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

const std::function<void(HWND)>* g_script = nullptr;
CDialog* g_dialog = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND hwnd = g_dialog->m_hWnd;
    // The dialog shows a template without WS_VISIBLE when its loop first finds the queue empty,
    // which cannot happen while this runs: until then, only wait for the next tick.
    if (hwnd == nullptr || !IsWindowVisible(hwnd))
        return;
    KillTimer(nullptr, id);
    PumpMessages(30);
    (*g_script)(hwnd);
    // EndDialog hides the window at once; a dialog still on screen was not ended.
    if (IsWindow(hwnd) && IsWindowVisible(hwnd))
        EndDialog(hwnd, -2);
}

} // namespace

void PumpMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Inside a modal run, keys go through the dialog manager as in the dialog's own loop.
            if (g_dialog != nullptr && g_dialog->m_hWnd != nullptr &&
                IsDialogMessageW(g_dialog->m_hWnd, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetTickCount() - start >= ms)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (true);
}

Pixels RenderOffscreen(int width, int height, COLORREF background,
                       const std::function<void(HDC)>& draw) {
    Pixels result;
    result.width = width;
    result.height = height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CBitmap dib;
    dib.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CDC mem;
    if (dib.GetSafeHandle() == nullptr || !mem.CreateCompatibleDC(nullptr))
        return result;
    {
        ScopedSelect select(mem, dib);
        RECT all{0, 0, width, height};
        mem.FillSolidRect(&all, background);
        draw(mem);
        GdiFlush();
    }
    const auto* raw = static_cast<const DWORD*>(bits);
    result.data.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < result.data.size(); ++i) {
        const DWORD bgra = raw[i];
        result.data[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    return result;
}

Pixels CaptureWindow(HWND hwnd, const RECT& rect) {
    WindowDc source(hwnd);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    return RenderOffscreen(width, height, RGB(255, 0, 255), [&](HDC mem) {
        BitBlt(mem, 0, 0, width, height, source.get(), rect.left, rect.top, SRCCOPY);
    });
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    WindowDc source(hwnd);
    return GetPixel(source.get(), x, y);
}

Pixels ResourceBitmap(UINT id) {
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(id))
        return Pixels{};
    BITMAP info{};
    bitmap.GetBitmap(&info);
    return RenderOffscreen(info.bmWidth, info.bmHeight, RGB(255, 0, 255), [&](HDC mem) {
        CDC source;
        source.CreateCompatibleDC(nullptr);
        ScopedSelect select(source, bitmap);
        BitBlt(mem, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    });
}

int FirstColumn(const Pixels& pixels, int top, int bottom,
                const std::function<bool(COLORREF)>& match) {
    for (int x = 0; x < pixels.width; ++x) {
        for (int y = top; y < bottom; ++y) {
            if (match(pixels.at(x, y)))
                return x;
        }
    }
    return -1;
}

::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
               << "x" << expected.height;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (expected.at(x, y) != actual.at(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << "): 0x" << std::hex
                       << actual.at(x, y) << ", expected 0x" << expected.at(x, y);
        }
    }
    return ::testing::AssertionSuccess();
}

Pixels Crop(const Pixels& pixels, int left, int top, int width, int height) {
    Pixels part;
    part.width = width;
    part.height = height;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x)
            part.data.push_back(pixels.at(x, y));
    }
    return part;
}

bool IsDark(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100;
}

INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script) {
    g_script = &script;
    g_dialog = &dialog;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunScript);
    const INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    g_dialog = nullptr;
    return result;
}

void MoveMouse(int x, int y) {
    // Absolute input is in 1/65536ths of the primary screen.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
}

RECT WindowRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

} // namespace skintest
