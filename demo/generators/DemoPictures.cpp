// Draws the demo game's pictures and cursor, so the repository holds their recipe instead of
// binary files. Writes into OUTDIR:
//   png/BG_DAWN.png   800 × 600  sky at dawn over a hill, the sun on the horizon
//   png/BG_NIGHT.png  800 × 600  night sky with stars and a moon
//   png/QUILL.png     160 × 320  a quill with soft edges (alpha)
//   data/QUILL.CUR    32 × 32    a quill-shaped mouse cursor (hot spot at the nib)
// The build turns the PNG files into ".MGD" pictures with qwmgd.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Bytes.h"
#include "common/Random.h"
#include "graphics/PngCodec.h"
#include "platform/FileSystem.h"

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
    std::filesystem::create_directories(out + "/data");
    Picture quill = Quill(160, 320);
    bool ok = WritePng(out + "/png/BG_DAWN.png", Dawn(), false) &&
              WritePng(out + "/png/BG_NIGHT.png", Night(), false) &&
              WritePng(out + "/png/QUILL.png", quill, true) &&
              qw::platform::WriteFileAtomic(out + "/data/QUILL.CUR", Cursor(Slanted(quill, 32)));
    if (!ok) {
        std::fprintf(stderr, "demo_pictures: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
