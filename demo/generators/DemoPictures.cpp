// Draws the demo game's pictures and cursor, so the repository holds their recipe instead of
// binary files. Writes into OUTDIR:
//   png/BG_DAWN.png   800 × 600  sky at dawn over a hill, the sun on the horizon
//   png/BG_NIGHT.png  800 × 600  night sky with stars and a moon
//                                (both carry their chapter's title, drawn with the engine's text)
//   png/QUILL.png     160 × 320  a quill with soft edges (alpha)
//   data/QUILL.CUR    32 × 32    a quill-shaped mouse cursor (hot spot at the nib)
// the special glyphs of the message window, ui/FONT.png (96 × 32: heart, star, note), and the
// parts sheets of the controls in ui/ (converted together with one qwmgd run), each with
// its element list (elements/NAME.txt, one "x,y,w,h" line per cell, for qwmgd --elements):
//   ui/UIBUTTON.png  160 × 200  a button in five looks (normal, focused, pressed, disabled,
//                                focused while disabled), stacked, with a plain middle for a
//                                caption
//   ui/UIROUND.png   320 × 64   a round button in the five looks, side by side
//   ui/UICHECK.png   320 × 32   a check box: the five looks unchecked, then checked
//   ui/UISLIDER.png  300 × 112  a slider track in the five looks (300 × 16, stacked) and its
//                                knob in the five looks (20 × 32, side by side) below
//   ui/UIICON.png    24 × 24    a small quill mark for captions and pictures
//   data/UIHIT.BMP   800 × 600  the hit map of the control test screen: region 1 is the round
//                                button's disc at (600, 80)
// The build turns the PNG files into ".MGD" pictures with qwmgd.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/HitMap.h"
#include "common/Bytes.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/PngCodec.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "text/TextProfile.h"

namespace {

using qw::Bytes;

struct Picture {
    int width, height;
    std::vector<uint32_t> pixels; // B, G, R, A words (0xAARRGGBB), rows top to bottom

    Picture(int w, int h)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h)) {}
    uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }
    uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
    size_t Index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }
};

uint32_t Rgba(double r, double g, double b, double a = 1.0) {
    auto c = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}
double Smooth(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Picture Dawn() {
    Picture p(800, 600);
    for (int y = 0; y < 600; ++y) {
        double t = y / 599.0;
        for (int x = 0; x < 800; ++x) {
            // Sky: deep blue at the top to orange at the horizon.
            double r = Mix(0.10, 0.98, t * t), g = Mix(0.16, 0.62, t * t), b = Mix(0.42, 0.38, t);
            // The sun, half risen behind the hill.
            double d = std::hypot(x - 520.0, y - 430.0);
            double glow = std::exp(-d / 90.0) * 0.8;
            r += glow;
            g += glow * 0.8;
            b += glow * 0.4;
            if (d < 46) r = 1.0, g = 0.93, b = 0.70;
            // The hill.
            double hill = 440 + 40 * std::sin(x / 130.0) + 18 * std::sin(x / 41.0 + 1.3);
            if (y > hill) {
                double s = Smooth(hill, hill + 3, y);
                r = Mix(r, 0.10, s), g = Mix(g, 0.13, s), b = Mix(b, 0.12, s);
            }
            p.At(x, y) = Rgba(r, g, b);
        }
    }
    return p;
}

Picture Night() {
    Picture p(800, 600);
    for (int y = 0; y < 600; ++y) {
        double t = y / 599.0;
        for (int x = 0; x < 800; ++x)
            p.At(x, y) = Rgba(Mix(0.02, 0.08, t), Mix(0.03, 0.10, t), Mix(0.10, 0.25, t));
    }
    qw::Lcg random(2024); // the engine's own generator: the same stars on every machine
    for (int i = 0; i < 400; ++i) {
        int x = random.Next() % 800, y = random.Next() % 480;
        double level = 0.4 + (random.Next() % 60) / 100.0;
        p.At(x, y) = Rgba(level, level, level * 0.95 + 0.05);
    }
    for (int y = 60; y < 200; ++y) {
        for (int x = 560; x < 700; ++x) {
            double d = std::hypot(x - 630.0, y - 130.0);
            double shadow = std::hypot(x - 655.0, y - 115.0);
            double a = Smooth(56, 54, d) * Smooth(50, 53, shadow);
            uint32_t& px = p.At(x, y);
            double r = ((px >> 16) & 0xFF) / 255.0, g = ((px >> 8) & 0xFF) / 255.0,
                   b = (px & 0xFF) / 255.0;
            px = Rgba(Mix(r, 0.98, a), Mix(g, 0.96, a), Mix(b, 0.85, a));
        }
    }
    return p;
}

// A feather: a curved vane around a shaft from the nib (bottom) to the tip (top).
Picture Quill(int width, int height) {
    Picture p(width, height);
    const double w = width, h = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double v = 1.0 - (y + 0.5) / h;                     // 0 at the nib, 1 at the tip
            double axis = w * (0.5 + 0.18 * std::sin(v * 2.6)); // the shaft bends a little
            double half = w * 0.36 * std::sin(std::clamp((v - 0.18) / 0.82, 0.0, 1.0) * 3.14159);
            double dx = std::fabs(x + 0.5 - axis);
            double vane = half > 0 ? Smooth(half, half - 2.0, dx) : 0.0;
            double shaft = v < 0.97 ? Smooth(1.6, 0.6, dx) : 0.0;
            double barbs = 0.85 + 0.15 * std::sin((x + 0.5 - axis) * 0.2 + v * 90.0);
            double a = std::max(vane * 0.92, shaft);
            double light = Mix(0.78, 1.0, v) * (shaft > vane ? 0.55 : barbs);
            p.At(x, y) = a > 0 ? Rgba(light, light * 0.97, light * 0.90, a) : 0;
        }
    }
    return p;
}

// A ".cur" file: one 32-bit image with its AND mask, hot spot at the nib (bottom left).
Bytes Cursor(const Picture& image) {
    const int w = image.width, h = image.height;
    const uint32_t maskStride = static_cast<uint32_t>((w + 31) / 32 * 4);
    const uint32_t imageSize =
        40 + static_cast<uint32_t>(w * h * 4) + maskStride * static_cast<uint32_t>(h);
    qw::ByteWriter out;
    out.Put<uint16_t>(0); // reserved
    out.Put<uint16_t>(2); // cursor
    out.Put<uint16_t>(1); // one image
    out.Put<uint8_t>(static_cast<uint8_t>(w));
    out.Put<uint8_t>(static_cast<uint8_t>(h));
    out.Put<uint8_t>(0);
    out.Put<uint8_t>(0);
    out.Put<uint16_t>(2);                            // hot spot x
    out.Put<uint16_t>(static_cast<uint16_t>(h - 3)); // hot spot y
    out.Put<uint32_t>(imageSize);
    out.Put<uint32_t>(6 + 16);
    out.Put<uint32_t>(40);
    out.Put<int32_t>(w);
    out.Put<int32_t>(h * 2);
    out.Put<uint16_t>(1);
    out.Put<uint16_t>(32);
    out.PutZeros(24);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
            out.Put<uint32_t>(image.At(x, y));
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if ((image.At(x, y) >> 24) < 128)
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        for (uint8_t b : row)
            out.Put<uint8_t>(b);
    }
    return out.Take();
}

// The quill turned on its side so its nib points to the bottom left, as a pointer does.
Picture Slanted(const Picture& quill, int side) {
    Picture p(side, side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            // Rotate by 35 degrees about the centre and scale the quill's height onto the side.
            double cx = x + 0.5 - side / 2.0, cy = y + 0.5 - side / 2.0;
            double c = std::cos(0.61), s = std::sin(0.61);
            double u = (cx * c + cy * s) * quill.width / (side * 0.55) + quill.width / 2.0;
            double v = (-cx * s + cy * c) * quill.height / side + quill.height / 2.0;
            int qx = static_cast<int>(u), qy = static_cast<int>(v);
            if (qx >= 0 && qx < quill.width && qy >= 0 && qy < quill.height)
                p.At(x, y) = quill.At(qx, qy);
        }
    }
    return p;
}

// --- control parts ------------------------------------------------------------------------

// The five looks of a control: fill and border colours, and how far the face is pushed in.
struct Look {
    double r, g, b;    // face
    double br, bg, bb; // border
    double light;      // top-to-bottom shading of the face
    int pushed;        // pixels the face moves down when pressed
};
const Look kLooks[5] = {
    {0.20, 0.30, 0.55, 0.55, 0.65, 0.85, 0.25, 0}, // normal
    {0.28, 0.42, 0.72, 1.00, 0.85, 0.40, 0.35, 0}, // focused: a gold rim
    {0.14, 0.22, 0.42, 1.00, 0.85, 0.40, 0.10, 2}, // pressed
    {0.32, 0.32, 0.34, 0.45, 0.45, 0.47, 0.10, 0}, // disabled
    {0.36, 0.36, 0.38, 0.80, 0.72, 0.45, 0.10, 0}, // focused while disabled
};

// A rounded rectangle of `look` into (x0, y0, w, h) of `p`, with soft edges.
void DrawPanel(Picture& p, int x0, int y0, int w, int h, const Look& look, double radius) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Distance outside the rounded rectangle (negative inside).
            double qx = std::max(std::fabs(x + 0.5 - w / 2.0) - (w / 2.0 - radius), 0.0);
            double qy = std::max(std::fabs(y + 0.5 - h / 2.0) - (h / 2.0 - radius), 0.0);
            double d = std::hypot(qx, qy) - radius;
            double a = Smooth(0.5, -0.5, d);
            if (a <= 0) continue;
            double rim = Smooth(-3.5, -2.5, d);
            double shade = 1.0 + look.light * (0.5 - (y - look.pushed) / static_cast<double>(h));
            double r = Mix(look.r * shade, look.br, rim), g = Mix(look.g * shade, look.bg, rim),
                   b = Mix(look.b * shade, look.bb, rim);
            p.At(x0 + x, y0 + y) = Rgba(r, g, b, a);
        }
    }
}

void DrawDisc(Picture& p, int x0, int y0, int side, const Look& look) {
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            double d = std::hypot(x + 0.5 - side / 2.0, y + 0.5 - side / 2.0) - (side / 2.0 - 1);
            double a = Smooth(0.5, -0.5, d);
            if (a <= 0) continue;
            double rim = Smooth(-4.0, -3.0, d);
            double shade = 1.0 + look.light * (0.5 - (y - look.pushed) / static_cast<double>(side));
            p.At(x0 + x, y0 + y) =
                Rgba(Mix(look.r * shade, look.br, rim), Mix(look.g * shade, look.bg, rim),
                     Mix(look.b * shade, look.bb, rim), a);
        }
    }
}

struct Sheet {
    Picture picture;
    std::string elements; // "x,y,w,h" lines
    void Cell(int x, int y, int w, int h) {
        elements += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
                    std::to_string(h) + "\n";
    }
};

Sheet ButtonSheet() {
    Sheet s{Picture(160, 200), ""};
    for (int i = 0; i < 5; ++i) {
        DrawPanel(s.picture, 0, i * 40, 160, 40, kLooks[i], 8);
        s.Cell(0, i * 40, 160, 40);
    }
    return s;
}

Sheet RoundSheet() {
    Sheet s{Picture(320, 64), ""};
    for (int i = 0; i < 5; ++i) {
        DrawDisc(s.picture, i * 64, 0, 64, kLooks[i]);
        s.Cell(i * 64, 0, 64, 64);
    }
    return s;
}

Sheet CheckSheet() {
    Sheet s{Picture(320, 32), ""};
    for (int i = 0; i < 10; ++i) {
        DrawPanel(s.picture, i * 32 + 2, 2, 28, 28, kLooks[i % 5], 5);
        if (i >= 5) { // the tick: two strokes
            const Look& look = kLooks[i % 5];
            for (int y = 0; y < 28; ++y) {
                for (int x = 0; x < 28; ++x) {
                    auto seg = [](double px, double py, double ax, double ay, double bx,
                                  double by) {
                        double vx = bx - ax, vy = by - ay;
                        double t = std::clamp(
                            ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
                        return std::hypot(px - ax - t * vx, py - ay - t * vy);
                    };
                    double d = std::min(seg(x + 0.5, y + 0.5, 7, 14, 12, 20),
                                        seg(x + 0.5, y + 0.5, 12, 20, 22, 8));
                    double a = Smooth(2.6, 1.6, d);
                    if (a <= 0) continue;
                    uint32_t& px = s.picture.At(i * 32 + 2 + x, 2 + y + look.pushed / 2);
                    double r = ((px >> 16) & 0xFF) / 255.0, g = ((px >> 8) & 0xFF) / 255.0,
                           b = (px & 0xFF) / 255.0;
                    double bright = i == 8 || i == 9 ? 0.75 : 1.0;
                    px = Rgba(Mix(r, bright, a), Mix(g, bright * 0.95, a), Mix(b, bright * 0.8, a),
                              std::max((px >> 24) / 255.0, a));
                }
            }
        }
        s.Cell(i * 32, 0, 32, 32);
    }
    return s;
}

Sheet SliderSheet() {
    Sheet s{Picture(300, 112), ""};
    for (int i = 0; i < 5; ++i) {
        Look groove = kLooks[i];
        groove.r *= 0.6, groove.g *= 0.6, groove.b *= 0.6;
        DrawPanel(s.picture, 0, i * 16 + 4, 300, 8, groove, 4);
        s.Cell(0, i * 16, 300, 16);
    }
    for (int i = 0; i < 5; ++i) {
        DrawPanel(s.picture, i * 20, 80, 20, 32, kLooks[i], 5);
        s.Cell(i * 20, 80, 20, 32);
    }
    return s;
}

Picture Icon(const Picture& quill) {
    Picture p = Slanted(quill, 24);
    for (uint32_t& px : p.pixels)
        if (px >> 24) px = (px & 0xFF000000u) | 0x00F8F0E0u; // a light mark for dark buttons
    return p;
}

// Region 1: the round button's disc on the test screen.
Bytes HitMap() {
    std::vector<uint8_t> map(800 * 600, 0);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (std::hypot(x + 0.5 - 632.0, y + 0.5 - 112.0) < 31.0)
                map[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] = 1;
    return qw::EncodeHitMap(map);
}

// The special glyphs of FONT.MGD: a heart, a star and a note, white with soft edges, one 32 × 32
// cell each (glyph 1, 2, 3; the message window tints them with the text colour).
Sheet GlyphSheet() {
    Sheet s{Picture(96, 32), ""};
    const auto cover = [](int cell, double x, double y) {
        x = (x - 16) / 14, y = (y - 16) / 14;
        if (cell == 0) { // heart
            const double yy = -y + 0.35, q = x * x + yy * yy - 0.55;
            return q * q * q - x * x * yy * yy * yy;
        }
        if (cell == 1) { // star: radius against the angle
            const double r = std::hypot(x, y), a = std::atan2(y, x) + M_PI / 2;
            return r - (0.55 + 0.4 * std::cos(5 * a)) * 1.0;
        }
        // note: a head and a stem
        const double head = std::hypot((x + 0.25) * 1.2, y - 0.55) - 0.38;
        const double stem = (x > 0.02 && x < 0.16 && y > -0.8 && y < 0.55) ? -0.1 : 0.1;
        return std::min(head, stem);
    };
    for (int cell = 0; cell < 3; ++cell) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                int inside = 0; // 4 × 4 samples a pixel
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        inside += cover(cell, x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) < 0;
                s.picture.At(cell * 32 + x, y) = Rgba(1, 1, 1, inside / 16.0);
            }
        s.Cell(cell * 32, 0, 32, 32);
    }
    return s;
}

// A chapter title drawn over a background by the engine's own text drawing (text and shadow);
// without a Japanese font the picture stays as it is.
Picture Titled(Picture p, const char* utf8, int x, int y) {
    qw::CDIBImage image;
    if (!image.Create(p.width, p.height)) return p;
    std::copy(p.pixels.begin(), p.pixels.end(), image.GetPixels());
    const qw::TextProfile& profile = qw::Cp932TextProfile();
    const std::string text = qw::platform::Utf8ToCodePage(profile.name, utf8).value_or("");
    image.SetTextProfile(profile);
    image.BeginDrawString(profile.face, 40, 700, false, false, false, 0);
    image.DrawStringS(x, y, 3, 3, 0xFFFFFF, 0x202030, text.c_str());
    image.EndDrawString();
    std::copy(image.GetPixels(), image.GetPixels() + p.pixels.size(), p.pixels.begin());
    return p;
}

bool WritePng(const std::string& path, const Picture& p, bool alpha) {
    Bytes png = qw::EncodePng(p.pixels.data(), p.width, p.height, alpha, 9);
    return !png.empty() && qw::platform::WriteFileAtomic(path, png);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: demo_pictures OUTDIR\n", stderr);
        return 2;
    }
    const std::string out = argv[1];
    std::filesystem::create_directories(out + "/png");
    std::filesystem::create_directories(out + "/ui");
    std::filesystem::create_directories(out + "/data");
    std::filesystem::create_directories(out + "/elements");
    Picture quill = Quill(160, 320);
    bool ok = WritePng(out + "/png/BG_DAWN.png", Titled(Dawn(), "序章　夜明け", 40, 40), false) &&
              WritePng(out + "/png/BG_NIGHT.png", Titled(Night(), "第一章　夜", 40, 40), false) &&
              WritePng(out + "/png/QUILL.png", quill, true) &&
              qw::platform::WriteFileAtomic(out + "/data/QUILL.CUR", Cursor(Slanted(quill, 32)));
    const std::pair<const char*, Sheet> sheets[] = {{"UIBUTTON", ButtonSheet()},
                                                    {"UIROUND", RoundSheet()},
                                                    {"UICHECK", CheckSheet()},
                                                    {"UISLIDER", SliderSheet()},
                                                    {"FONT", GlyphSheet()}};
    for (const auto& [name, sheet] : sheets) {
        const std::string& list = sheet.elements;
        ok = ok && WritePng(out + "/ui/" + name + ".png", sheet.picture, true) &&
             qw::platform::WriteFileAtomic(
                 out + "/elements/" + name + ".txt",
                 std::span(reinterpret_cast<const uint8_t*>(list.data()), list.size()));
    }
    ok = ok && WritePng(out + "/ui/UIICON.png", Icon(quill), true) &&
         qw::platform::WriteFileAtomic(out + "/data/UIHIT.BMP", HitMap());
    if (!ok) {
        std::fprintf(stderr, "demo_pictures: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
