#include "tests/support/Image.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Wait.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace ztest {

namespace {

// A DC of a window, or of the whole screen for none, released on every path.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(hwnd ? GetWindowDC(hwnd) : GetDC(nullptr)) {}
    ~WindowDc() { ReleaseDC(m_hwnd, m_dc); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

} // namespace

void PixelSet::Add(int x, int y) {
    if (count++ == 0) {
        box = RECT{x, y, x + 1, y + 1};
        return;
    }
    box.left = std::min<LONG>(box.left, x);
    box.top = std::min<LONG>(box.top, y);
    box.right = std::max<LONG>(box.right, x + 1);
    box.bottom = std::max<LONG>(box.bottom, y + 1);
}

double Distance(const Colour& a, const Colour& b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                     (a.b - b.b) * (a.b - b.b));
}

Image Image::Crop(int left, int top, int right, int bottom) const {
    Image part;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (right <= left || bottom <= top) {
        return part;
    }
    part.width = right - left;
    part.height = bottom - top;
    for (int y = top; y < bottom; ++y) {
        const auto row = pixels.begin() + static_cast<ptrdiff_t>(y) * width;
        part.pixels.insert(part.pixels.end(), row + left, row + right);
    }
    return part;
}

int Image::Count(COLORREF colour) const {
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

PixelSet Image::Find(COLORREF colour) const {
    return Find([colour](COLORREF pixel) { return pixel == colour; });
}

PixelSet Image::Find(const std::function<bool(COLORREF)>& match) const {
    PixelSet set;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (match(At(x, y))) {
                set.Add(x, y);
            }
        }
    }
    return set;
}

Colour Image::Mean() const {
    Colour sum;
    for (COLORREF pixel : pixels) {
        sum.r += GetRValue(pixel);
        sum.g += GetGValue(pixel);
        sum.b += GetBValue(pixel);
    }
    const double n = std::max<double>(1, static_cast<double>(pixels.size()));
    return Colour{sum.r / n, sum.g / n, sum.b / n};
}

int ChannelDistance(COLORREF a, COLORREF b) {
    return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                     std::abs(GetBValue(a) - GetBValue(b))});
}

PixelSet Compare(const Image& a, const Image& b, int tolerance) {
    PixelSet diff;
    if (a.width != b.width || a.height != b.height) {
        diff.count = -1;
        return diff;
    }
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (ChannelDistance(a.At(x, y), b.At(x, y)) > tolerance) {
                diff.Add(x, y);
            }
        }
    }
    return diff;
}

::testing::AssertionResult SamePixels(const Image& expected, const Image& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
               << "x" << expected.height;
    }
    const PixelSet diff = Compare(expected, actual, 0);
    if (diff.count == 0) {
        return ::testing::AssertionSuccess();
    }
    // The first difference in the top row of the differing ones.
    int x = diff.box.left;
    const int y = diff.box.top;
    while (expected.At(x, y) == actual.At(x, y)) {
        ++x;
    }
    return ::testing::AssertionFailure()
           << diff.count << " pixels differ, the first at (" << x << ", " << y << "): 0x"
           << std::hex << actual.At(x, y) << ", expected 0x" << expected.At(x, y);
}

POINT Locate(const Image& image, const Image& part) {
    for (int y = 0; y + part.height <= image.height; ++y) {
        for (int x = 0; x + part.width <= image.width; ++x) {
            if (!part.Empty() && image.Crop(x, y, x + part.width, y + part.height) == part) {
                return POINT{x, y};
            }
        }
    }
    return POINT{-1, -1};
}

Image RenderOffscreen(int width, int height, COLORREF background,
                      const std::function<void(HDC)>& draw) {
    if (width <= 0 || height <= 0) {
        return Image();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDc dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject brush(CreateSolidBrush(background));
    if (!bitmap || !bits || !dc || !brush) {
        return Image();
    }
    const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    draw(dc.get());
    GdiFlush();
    SelectObject(dc.get(), previous);

    Image image;
    image.width = width;
    image.height = height;
    const auto* bgra = static_cast<const DWORD*>(bits);
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = RGB((bgra[i] >> 16) & 0xFF, (bgra[i] >> 8) & 0xFF, bgra[i] & 0xFF);
    }
    return image;
}

Image CaptureScreen(const RECT& rect) {
    // Only what lies on the screen: a source partly off it would fail the whole copy.
    const RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT shown{};
    const bool onScreen = IntersectRect(&shown, &rect, &screenRect) != FALSE;
    return RenderOffscreen(
        rect.right - rect.left, rect.bottom - rect.top, RGB(0, 0, 0), [&](HDC dc) {
            if (onScreen) {
                WindowDc screen(nullptr);
                BitBlt(dc, shown.left - rect.left, shown.top - rect.top, shown.right - shown.left,
                       shown.bottom - shown.top, screen.Get(), shown.left, shown.top, SRCCOPY);
            }
        });
}

Image SteadyCapture(const RECT& rect) {
    Image before;
    Image now;
    const bool steady = WaitUntil([&] {
        before = std::move(now);
        now = CaptureScreen(rect);
        return !now.Empty() && now == before;
    });
    return steady ? now : Image();
}

Image CaptureWindow(HWND hwnd, const RECT& rect) {
    WindowDc source(hwnd);
    return RenderOffscreen(rect.right - rect.left, rect.bottom - rect.top, RGB(255, 0, 255),
                           [&](HDC dc) {
                               BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                                      source.Get(), rect.left, rect.top, SRCCOPY);
                           });
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    WindowDc source(hwnd);
    return GetPixel(source.Get(), x, y);
}

void FillScreen(const RECT& rect, COLORREF colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour));
    WindowDc screen(nullptr);
    FillRect(screen.Get(), &rect, static_cast<HBRUSH>(brush.get()));
    GdiFlush();
}

const COLORREF kTitleBlue = [] {
    const Image close = ProgramBitmap(IDB_CLOSE);
    return close.Empty() ? CLR_INVALID : close.At(0, 0);
}();

HMODULE ProgramModule() {
    static const UniqueModule module(
        LoadLibraryExW((ExeDir() + L"\\Zelvanor.exe").c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module.get();
}

Image BitmapResource(HMODULE module, UINT id, int width, int height) {
    UniqueGdiObject bitmap(LoadBitmapW(module, MAKEINTRESOURCEW(id)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(info), &info)) {
        return Image();
    }
    const bool stretch = width > 0 && height > 0;
    if (!stretch) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
    return RenderOffscreen(width, height, RGB(255, 0, 255), [&](HDC dc) {
        UniqueDc source(CreateCompatibleDC(dc));
        const HGDIOBJ previous = SelectObject(source.get(), bitmap.get());
        if (stretch) {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                       SRCCOPY);
        } else {
            BitBlt(dc, 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
        }
        SelectObject(source.get(), previous);
    });
}

bool SaveBitmapFile(const Image& image, const std::wstring& path) {
    const int stride = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = image.width;
    info.biHeight = image.height; // bottom-up, the form every reader takes
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * image.height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string data(reinterpret_cast<const char*>(&file), sizeof(file));
    data.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string line(stride, '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const COLORREF pixel = image.At(x, y);
            line[x * 3] = static_cast<char>(GetBValue(pixel));
            line[x * 3 + 1] = static_cast<char>(GetGValue(pixel));
            line[x * 3 + 2] = static_cast<char>(GetRValue(pixel));
        }
        data += line;
    }
    std::ofstream out(path.c_str(), std::ios::binary);
    return static_cast<bool>(out.write(data.data(), static_cast<std::streamsize>(data.size())));
}

} // namespace ztest
