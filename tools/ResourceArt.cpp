// Draws every bitmap and the program icon of res/ from code, so the artwork can be reviewed,
// changed and rebuilt like any other source. Plain C++17, no platform headers; run on the host,
// from the repository's top folder:
//
//   g++ -std=c++17 -O2 tools/ResourceArt.cpp -o /tmp/art && /tmp/art res
//
// Bitmaps come out as 24-bit uncompressed bottom-up BMP files, the icon as a .ico of seven
// 32-bit DIB images (with alpha and AND mask), largest first. Sizes are fixed by the code that
// draws them (title strip, caption buttons, rows, gray button, About picture); the look is a flat
// one in the skin's blue.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Color {
    double r, g, b;
};

// Straight (not premultiplied) colour with opacity 0..1.
struct Rgba {
    Color c;
    double a;
};

Color Mix(Color from, Color to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t};
}

// The skin's palette.
const Color kTitleBlue{38, 179, 232};
const Color kInactiveBlue{132, 211, 242};
const Color kWhite{255, 255, 255};
const Color kHoverBlue = Mix(kTitleBlue, kWhite, 0.25);
const Color kPressedBlue = Mix(kTitleBlue, Color{0, 0, 0}, 0.22);
const Color kCloseRed{232, 17, 35};
const Color kClosePressedRed{178, 14, 28};

// ---------------------------------------------------------------------------------------------
// Shapes are point predicates in pixel coordinates (pixel (i, j) covers [i, i+1) x [j, j+1));
// rendering supersamples them, which anti-aliases slanted and round edges while edges on whole
// pixel boundaries stay crisp.
using Shape = std::function<bool(double, double)>;
using Paint = std::function<Color(double, double)>;

Shape Rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double r) {
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1)
            return false;
        const double cx = std::clamp(x, x0 + r, x1 - r);
        const double cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

// A stroke from (ax, ay) to (bx, by) with round ends.
Shape Line(double ax, double ay, double bx, double by, double width) {
    return [=](double x, double y) {
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0;
        const double px = ax + t * dx - x, py = ay + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

Shape Union(std::vector<Shape> parts) {
    return [=](double x, double y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
    };
}

Shape Minus(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

Paint Solid(Color c) {
    return [=](double, double) { return c; };
}

Paint VerticalGradient(Color top, Color bottom, double y0, double y1) {
    return [=](double, double y) {
        return Mix(top, bottom, std::clamp((y - y0) / std::max(1e-9, y1 - y0), 0.0, 1.0));
    };
}

struct Layer {
    Shape shape;
    Paint paint;
    double opacity;
};

class Canvas {
public:
    Canvas(int w, int h) : m_w(w), m_h(h), m_px(static_cast<size_t>(w) * h, Rgba{{0, 0, 0}, 0}) {}

    int Width() const { return m_w; }
    int Height() const { return m_h; }
    Rgba& At(int x, int y) { return m_px[static_cast<size_t>(y) * m_w + x]; }
    const Rgba& At(int x, int y) const { return m_px[static_cast<size_t>(y) * m_w + x]; }

    void Add(Shape s, Color c, double opacity = 1) { m_layers.push_back({s, Solid(c), opacity}); }
    void Add(Shape s, Paint p, double opacity = 1) { m_layers.push_back({s, p, opacity}); }

    // Composites the layers added so far over the canvas, 6 x 6 samples a pixel.
    void Render() {
        constexpr int kSub = 6;
        for (int y = 0; y < m_h; ++y) {
            for (int x = 0; x < m_w; ++x) {
                double pr = 0, pg = 0, pb = 0, pa = 0; // premultiplied sums
                for (int sy = 0; sy < kSub; ++sy) {
                    for (int sx = 0; sx < kSub; ++sx) {
                        const double fx = x + (sx + 0.5) / kSub, fy = y + (sy + 0.5) / kSub;
                        const Rgba& base = At(x, y);
                        double r = base.c.r * base.a, g = base.c.g * base.a, b = base.c.b * base.a;
                        double a = base.a;
                        for (const Layer& l : m_layers) {
                            if (!l.shape(fx, fy))
                                continue;
                            const Color c = l.paint(fx, fy);
                            const double la = l.opacity;
                            r = c.r * la + r * (1 - la);
                            g = c.g * la + g * (1 - la);
                            b = c.b * la + b * (1 - la);
                            a = la + a * (1 - la);
                        }
                        pr += r, pg += g, pb += b, pa += a;
                    }
                }
                const double n = kSub * kSub;
                Rgba& out = At(x, y);
                out.a = pa / n;
                out.c = out.a > 0 ? Color{pr / pa, pg / pa, pb / pa} : Color{0, 0, 0};
            }
        }
        m_layers.clear();
    }

    // Copies a block of another canvas into this one at (dx, dy).
    void Blit(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                At(dx + x, dy + y) = src.At(sx + x, sy + y);
    }

private:
    int m_w, m_h;
    std::vector<Rgba> m_px;
    std::vector<Layer> m_layers;
};

// ---------------------------------------------------------------------------------------------
// File writers.

uint8_t Byte(double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int w, int h, int bits, uint32_t imageSize) {
    Put32(out, 40); // BITMAPINFOHEADER
    Put32(out, static_cast<uint32_t>(w));
    Put32(out, static_cast<uint32_t>(h)); // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// 24-bit opaque bitmap; whatever alpha the canvas has is composited over white.
bool WriteBmp(const std::string& path, const Canvas& c) {
    const int stride = (c.Width() * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride) * c.Height();
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + imageSize);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, c.Width(), c.Height(), 24, imageSize);
    for (int y = c.Height() - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < c.Width(); ++x) {
            const Rgba& p = c.At(x, y);
            const Color o = Mix(kWhite, p.c, p.a);
            out.push_back(Byte(o.b));
            out.push_back(Byte(o.g));
            out.push_back(Byte(o.r));
        }
        while (out.size() - rowStart < static_cast<size_t>(stride))
            out.push_back(0);
    }
    return WriteFile(path, out);
}

// One .ico image: 32-bit BGRA with straight alpha, then the 1-bit AND mask (set = transparent)
// for systems that ignore alpha; the header's height counts both.
std::vector<uint8_t> IconImage(const Canvas& c) {
    const int w = c.Width(), h = c.Height();
    const int maskStride = ((w + 31) / 32) * 4;
    std::vector<uint8_t> out;
    PutInfoHeader(out, w, h * 2, 32, static_cast<uint32_t>(w * h * 4 + maskStride * h));
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgba& p = c.At(x, y);
            out.push_back(Byte(p.c.b));
            out.push_back(Byte(p.c.g));
            out.push_back(Byte(p.c.r));
            out.push_back(Byte(p.a * 255));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < w; ++x)
            if (c.At(x, y).a < 0.5)
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WriteIco(const std::string& path, const std::vector<Canvas>& images) {
    std::vector<std::vector<uint8_t>> data;
    for (const Canvas& c : images)
        data.push_back(IconImage(c));
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, static_cast<unsigned>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].Width() & 0xFF)); // 256 would be 0
        out.push_back(static_cast<uint8_t>(images[i].Height() & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 32); // bits
        Put32(out, static_cast<uint32_t>(data[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(data[i].size());
    }
    for (const auto& d : data)
        out.insert(out.end(), d.begin(), d.end());
    return WriteFile(path, out);
}

// ---------------------------------------------------------------------------------------------
// Title-strip buttons of the bar: white glyphs on the strip's blue, so that state 0 blends into
// the strip; hover lighter, pressed darker.

Color StateFill(int state) {
    return state == 1 ? kHoverBlue : state == 2 ? kPressedBlue : kTitleBlue;
}

Canvas BarCloseButton(int state) {
    Canvas c(19, 18);
    c.Add(Rect(0, 0, 19, 18), StateFill(state));
    // Arms through pixel centres, so the cross is symmetric and sharp.
    c.Add(Line(6.5, 6.5, 12.5, 12.5, 1.8), kWhite);
    c.Add(Line(12.5, 6.5, 6.5, 12.5, 1.8), kWhite);
    c.Render();
    return c;
}

// Folding: a line with a chevron pointing up into it; unfolding: the chevron points down.
Canvas BarFoldButton(int state, bool expand) {
    Canvas c(26, 18);
    c.Add(Rect(0, 0, 26, 18), StateFill(state));
    c.Add(Rect(8, 4, 18, 6), kWhite);
    if (expand) {
        c.Add(Line(9, 9, 13, 13, 1.8), kWhite);
        c.Add(Line(17, 9, 13, 13, 1.8), kWhite);
    } else {
        c.Add(Line(9, 13.5, 13, 9.5, 1.8), kWhite);
        c.Add(Line(17, 13.5, 13, 9.5, 1.8), kWhite);
    }
    c.Render();
    return c;
}

// ---------------------------------------------------------------------------------------------
// Caption buttons of the skinned dialogs: thin glyphs, full-height flat state fills.

enum class CaptionGlyph { Close, Max, Restore, Min };

Canvas CaptionButton(CaptionGlyph glyph, int state) {
    const bool close = glyph == CaptionGlyph::Close;
    const int w = close ? 43 : 26;
    Canvas c(w, 18);
    Color fill = StateFill(state);
    if (close && state == 1)
        fill = kCloseRed;
    if (close && state == 2)
        fill = kClosePressedRed;
    c.Add(Rect(0, 0, w, 18), fill);
    const double cx = w / 2.0;
    switch (glyph) {
    case CaptionGlyph::Close:
        // Through pixel centres (cx is one for the odd width) for a sharp cross.
        c.Add(Line(cx - 4, 5.5, cx + 4, 13.5, 1.3), kWhite);
        c.Add(Line(cx + 4, 5.5, cx - 4, 13.5, 1.3), kWhite);
        break;
    case CaptionGlyph::Max:
        c.Add(Minus(Rect(9, 5, 17, 13), Rect(10, 6, 16, 12)), kWhite);
        break;
    case CaptionGlyph::Restore:
        c.Add(Minus(Rect(11, 4, 18, 11), Rect(9, 7, 16, 14)), kWhite); // window behind
        c.Add(Minus(Rect(9, 7, 16, 14), Rect(10, 8, 15, 13)), kWhite);
        break;
    case CaptionGlyph::Min:
        c.Add(Rect(9, 9, 17, 10), kWhite);
        break;
    }
    c.Render();
    return c;
}

// ---------------------------------------------------------------------------------------------
// Row backgrounds, 323 x 79, squeezed to 120 x 30 with halftone: features must be several source
// pixels wide (3-pixel separator, 8-pixel selection marker) to survive the squeeze.

enum class RowKind { Normal, Hover, Pressed, Selected };

Canvas Row(RowKind kind) {
    constexpr int kW = 323, kH = 79;
    Canvas c(kW, kH);
    Color fill{250, 251, 252};
    Color separator{221, 226, 230};
    bool marker = false;
    switch (kind) {
    case RowKind::Normal:
        break;
    case RowKind::Hover:
        fill = Mix(kWhite, kTitleBlue, 0.08);
        break;
    case RowKind::Selected:
        fill = Mix(kWhite, kTitleBlue, 0.20);
        separator = Mix(kWhite, kTitleBlue, 0.45);
        marker = true;
        break;
    case RowKind::Pressed:
        fill = Mix(kWhite, kTitleBlue, 0.32);
        separator = Mix(kWhite, kTitleBlue, 0.55);
        marker = true;
        break;
    }
    c.Add(Rect(0, 0, kW, kH), fill);
    c.Add(Rect(0, kH - 3, kW, kH), separator);
    if (marker)
        c.Add(Rect(0, 0, 8, kH), kTitleBlue);
    c.Render();
    return c;
}

// ---------------------------------------------------------------------------------------------
// Gray push button faces. One face is drawn 7 pixels wide with rounded corners on white (the
// dialog background) and cut into left cap (columns 0-2), centre strip (column 3) and right cap
// (columns 4-6), so that the pieces join seamlessly at any button width.

enum class GrayFace { Normal, Hover, Pressed };

Canvas GrayButtonFace(GrayFace face, int h) {
    Color top{253, 253, 253}, bottom{230, 230, 230}, border{172, 172, 172};
    if (face == GrayFace::Hover) {
        top = {248, 252, 255};
        bottom = {220, 236, 246};
        border = Mix(Color{150, 150, 150}, kTitleBlue, 0.6);
    } else if (face == GrayFace::Pressed) {
        top = {204, 204, 204};
        bottom = {220, 220, 220};
        border = {138, 138, 138};
    }
    Canvas c(7, h);
    c.Add(Rect(0, 0, 7, h), kWhite);
    c.Add(RoundRect(0, 0, 7, h, 2.2), border);
    c.Add(RoundRect(1, 1, 6, h - 1, 1.2), VerticalGradient(top, bottom, 1, h - 1));
    c.Render();
    return c;
}

Canvas Slice(const Canvas& src, int x, int w) {
    Canvas c(w, src.Height());
    c.Blit(src, x, 0, w, src.Height(), 0, 0);
    return c;
}

// ---------------------------------------------------------------------------------------------
// About picture, 198 x 85: stacked application windows beside a small bar listing areas.

void Window(Canvas& c, double x, double y, double w, double h, double opacity, bool detail) {
    c.Add(RoundRect(x, y, x + w, y + h, 3), kWhite, opacity);
    if (!detail)
        return;
    const Color strip = Mix(kWhite, kTitleBlue, 0.45);
    c.Add(Rect(x + 1, y + 1, x + w - 1, y + 8), strip);
    const Color text = Mix(kWhite, kTitleBlue, 0.30);
    c.Add(RoundRect(x + 7, y + 15, x + w * 0.72, y + 19, 2), text);
    c.Add(RoundRect(x + 7, y + 24, x + w * 0.55, y + 28, 2), text);
    c.Add(RoundRect(x + 7, y + 33, x + w * 0.64, y + 37, 2), text);
}

Canvas AboutPicture() {
    Canvas c(198, 85);
    c.Add(Rect(0, 0, 198, 85), VerticalGradient(Mix(kTitleBlue, kWhite, 0.10), kTitleBlue, 0, 85));
    Window(c, 14, 10, 82, 52, 0.30, false);
    Window(c, 26, 18, 82, 52, 0.55, false);
    Window(c, 38, 26, 82, 52, 1.0, true);
    // The bar: title strip and three rows, the second one current.
    const double bx = 140, by = 12, bw = 42;
    c.Add(Rect(bx - 1, by - 1, bx + bw + 1, by + 62), Mix(kTitleBlue, Color{0, 0, 0}, 0.25));
    c.Add(Rect(bx, by, bx + bw, by + 8), Mix(kTitleBlue, Color{0, 0, 0}, 0.12));
    c.Add(Rect(bx + bw - 7, by + 3, bx + bw - 3, by + 4), kWhite);
    for (int i = 0; i < 3; ++i) {
        const double ry = by + 8 + i * 17.6;
        const bool current = i == 1;
        c.Add(Rect(bx, ry, bx + bw, ry + 17.6), current ? Mix(kWhite, kTitleBlue, 0.20) : kWhite);
        c.Add(Rect(bx, ry + 16.6, bx + bw, ry + 17.6), Color{221, 226, 230});
        if (current)
            c.Add(Rect(bx, ry, bx + 3, ry + 17.6), kTitleBlue);
        c.Add(RoundRect(bx + 11, ry + 7, bx + bw - 11, ry + 10.5, 1.7), Color{160, 160, 160});
    }
    c.Render();
    return c;
}

// ---------------------------------------------------------------------------------------------
// Program icon: three stacked windows, back to front, cut apart by transparent gaps; the front
// one has a white client area under a blue title strip. Edges snap to whole pixels so the small
// sizes stay sharp.

Canvas Icon(int size) {
    Canvas c(size, size);
    const double s = size;
    auto px = [&](double f) { return std::round(f * s); };
    const double gap = std::max(1.0, std::round(s * 0.04));
    const double radius = std::max(1.2, s * 0.08);
    struct Box {
        double x0, y0, x1, y1;
    };
    const double step = 0.14;
    const Box back{px(0.30), px(0.07), px(0.96), px(0.61)};
    const Box mid{px(0.30 - step), px(0.07 + step), px(0.96 - step), px(0.61 + step)};
    const Box front{px(0.30 - 2 * step), px(0.07 + 2 * step), px(0.96 - 2 * step),
                    px(0.61 + 2 * step)};
    auto shape = [&](const Box& b, double grow) {
        return RoundRect(b.x0 - grow, b.y0 - grow, b.x1 + grow, b.y1 + grow, radius + grow);
    };
    c.Add(Minus(shape(back, 0), Union({shape(mid, gap), shape(front, gap)})), kInactiveBlue);
    c.Add(Minus(shape(mid, 0), shape(front, gap)), Mix(kInactiveBlue, kTitleBlue, 0.55));
    c.Add(shape(front, 0), kTitleBlue);
    const double border = std::max(1.0, std::round(s * 0.06));
    const double title = std::max(2.0, std::round(s * 0.15));
    c.Add(RoundRect(front.x0 + border, front.y0 + title, front.x1 - border, front.y1 - border,
                    std::max(0.0, radius - border)),
          kWhite);
    c.Render();
    return c;
}

// ---------------------------------------------------------------------------------------------

struct Output {
    const char* file;
    std::function<Canvas()> draw;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const Canvas grayNormal = GrayButtonFace(GrayFace::Normal, 32);
    const Canvas grayHover = GrayButtonFace(GrayFace::Hover, 32);
    const Canvas grayHoverShort = GrayButtonFace(GrayFace::Hover, 31);
    const Canvas grayPressed = GrayButtonFace(GrayFace::Pressed, 32);

    const std::vector<Output> outputs = {
        {"collapse.bmp", [] { return BarFoldButton(0, false); }},
        {"collapse_hover.bmp", [] { return BarFoldButton(1, false); }},
        {"collapse_pressed.bmp", [] { return BarFoldButton(2, false); }},
        {"expand.bmp", [] { return BarFoldButton(0, true); }},
        {"expand_hover.bmp", [] { return BarFoldButton(1, true); }},
        {"expand_pressed.bmp", [] { return BarFoldButton(2, true); }},
        {"close.bmp", [] { return BarCloseButton(0); }},
        {"close_hover.bmp", [] { return BarCloseButton(1); }},
        {"close_pressed.bmp", [] { return BarCloseButton(2); }},
        {"area_row.bmp", [] { return Row(RowKind::Normal); }},
        {"area_row_selected.bmp", [] { return Row(RowKind::Selected); }},
        {"area_row_hover.bmp", [] { return Row(RowKind::Hover); }},
        {"area_row_pressed.bmp", [] { return Row(RowKind::Pressed); }},
        {"about.bmp", [] { return AboutPicture(); }},
        {"caption_close.bmp", [] { return CaptionButton(CaptionGlyph::Close, 0); }},
        {"caption_close_hover.bmp", [] { return CaptionButton(CaptionGlyph::Close, 1); }},
        {"caption_close_pressed.bmp", [] { return CaptionButton(CaptionGlyph::Close, 2); }},
        {"caption_max.bmp", [] { return CaptionButton(CaptionGlyph::Max, 0); }},
        {"caption_max_hover.bmp", [] { return CaptionButton(CaptionGlyph::Max, 1); }},
        {"caption_max_pressed.bmp", [] { return CaptionButton(CaptionGlyph::Max, 2); }},
        {"caption_restore.bmp", [] { return CaptionButton(CaptionGlyph::Restore, 0); }},
        {"caption_restore_hover.bmp", [] { return CaptionButton(CaptionGlyph::Restore, 1); }},
        {"caption_restore_pressed.bmp", [] { return CaptionButton(CaptionGlyph::Restore, 2); }},
        {"caption_min.bmp", [] { return CaptionButton(CaptionGlyph::Min, 0); }},
        {"caption_min_hover.bmp", [] { return CaptionButton(CaptionGlyph::Min, 1); }},
        {"caption_min_pressed.bmp", [] { return CaptionButton(CaptionGlyph::Min, 2); }},
        {"graybtn_left.bmp", [&] { return Slice(grayNormal, 0, 3); }},
        {"graybtn_mid.bmp", [&] { return Slice(grayNormal, 3, 1); }},
        {"graybtn_right.bmp", [&] { return Slice(grayNormal, 4, 3); }},
        {"graybtn_hover_left.bmp", [&] { return Slice(grayHoverShort, 0, 3); }},
        {"graybtn_hover_mid.bmp", [&] { return Slice(grayHover, 3, 1); }},
        {"graybtn_hover_right.bmp", [&] { return Slice(grayHover, 4, 3); }},
        {"graybtn_pressed_left.bmp", [&] { return Slice(grayPressed, 0, 3); }},
        {"graybtn_pressed_mid.bmp", [&] { return Slice(grayPressed, 3, 1); }},
        {"graybtn_pressed_right.bmp", [&] { return Slice(grayPressed, 4, 3); }},
    };
    bool ok = true;
    for (const Output& o : outputs)
        ok = WriteBmp(dir + o.file, o.draw()) && ok;

    std::vector<Canvas> icons;
    for (int size : {128, 64, 48, 32, 24, 20, 16})
        icons.push_back(Icon(size));
    ok = WriteIco(dir + "Zelvanor.ico", icons) && ok;
    return ok ? 0 : 1;
}
