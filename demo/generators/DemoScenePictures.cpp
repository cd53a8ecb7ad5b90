// Draws the pictures of the demo's picture chapters: the places, the people, the message panel
// and what the transitions and layer actions need. Writes into OUTDIR:
//   png/BG_TOWN.png     800 × 600  a street of houses at dusk, lit windows and lamps
//   png/BG_WOOD.png     800 × 600  a grey forest in the rain
//   png/BG_LAKE.png     800 × 600  mountains over a lake under the moon
//   png/LAKE.png        800 × 220  the lake's water alone (its lower part), for the raster
//   png/CHR_AOI.png     240 × 460  three people with soft alpha edges: Aoi (blue, long hair),
//   png/CHR_BEN.png     240 × 460  Ben (green coat, short hair)
//   png/CHR_CORA.png    240 × 460  and Cora (red dress, a ponytail)
//   png/WINDOW.png      800 × 150  the translucent message panel
//   png/RULEGRAD.png    800 × 600  a rule picture: a diagonal gradient with a ripple (gray)
//   png/WIPESTAR.png    256 × 256  a wipe shape: a white star on black
//   png/DROP.png          8 × 72   a rain drop
//   png/FLARE.png       640 × 256  a lens flare: element 0 the flash (256 × 256), elements
//                                    1–11 the sprites (64 × 64 cells)
//   png/SCRATCH.png      72 × 300  three film scratches (elements of 24 × 300)
//   png/FILMEDGE.png    800 × 600  the film's darkening overlay (black, alpha at the edges)
//   png/PINWHEEL.png    160 × 160  a pinwheel that the 2D rotation turns
//   png/LOGS.png        800 × 150  logs and stones for the fire at the foot of the page
// and elements/NAME.txt ("x,y,w,h" a line) for the pictures cut into elements. The build turns
// them into ".MGD" pictures with one qwmgd run over the directory. Every picture is a formula;
// the few random details come from the engine's own generator, so each build draws the same.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/Bytes.h"
#include "common/Random.h"
#include "graphics/PngCodec.h"
#include "platform/FileSystem.h"

namespace {

constexpr double kPi = std::numbers::pi;

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Scale(Colour c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}
double Smooth(double edge0, double edge1, double x) {
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}
// Coverage of a shape whose signed distance (negative inside) is d: a soft edge about
// `soft` pixels wide.
double Cover(double d, double soft = 1.0) {
    return Smooth(soft, -soft, d);
}

struct Picture {
    int width, height;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows top to bottom

    Picture(int w, int h)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h)) {}
    uint32_t& At(int x, int y) {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    void Set(int x, int y, Colour c, double a = 1.0) {
        auto q = [](double v) {
            return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5);
        };
        At(x, y) = q(a) << 24 | q(c.r) << 16 | q(c.g) << 8 | q(c.b);
    }
    Colour Get(int x, int y) {
        const uint32_t p = At(x, y);
        return {((p >> 16) & 0xFF) / 255.0, ((p >> 8) & 0xFF) / 255.0, (p & 0xFF) / 255.0};
    }
    double Alpha(int x, int y) { return (At(x, y) >> 24) / 255.0; }
    // Paints colour c with coverage a over the pixel (straight alpha, "over").
    void Paint(int x, int y, Colour c, double a) {
        if (a <= 0) return;
        const double da = Alpha(x, y), oa = a + da * (1 - a);
        const Colour d = Get(x, y);
        const double k = oa > 0 ? 1 / oa : 0;
        Set(x, y,
            {(c.r * a + d.r * da * (1 - a)) * k, (c.g * a + d.g * da * (1 - a)) * k,
             (c.b * a + d.b * da * (1 - a)) * k},
            oa);
    }
};

// --- places -------------------------------------------------------------------------------

Picture Town() {
    Picture p(800, 600);
    // Houses along the street: each a block with a pointed roof, a few windows lit.
    struct House {
        int x0, x1, wall, roof;
        Colour colour;
    };
    std::vector<House> houses;
    qw::Lcg random(17);
    for (int x = -20; x < 800;) {
        const int w = 90 + random.Next() % 70;
        const int wall = 250 + random.Next() % 90;
        const double tone = 0.12 + (random.Next() % 10) / 100.0;
        houses.push_back(
            {x, x + w, wall, wall - 40 - random.Next() % 40, {tone * 0.9, tone * 0.7, tone * 1.1}});
        x += w + 4;
    }
    std::vector<uint8_t> lit(houses.size() * 16);
    for (uint8_t& l : lit)
        l = random.Next() % 3 != 0;
    for (int y = 0; y < 600; ++y) {
        const double t = y / 599.0;
        for (int x = 0; x < 800; ++x) {
            // Dusk: violet above, a warm glow over the rooftops.
            Colour c = Mix({0.20, 0.16, 0.38}, {0.98, 0.58, 0.36}, Smooth(0.0, 0.55, t));
            for (size_t i = 0; i < houses.size(); ++i) {
                const House& h = houses[i];
                if (x < h.x0 || x >= h.x1) continue;
                const double mid = (h.x0 + h.x1) / 2.0, half = (h.x1 - h.x0) / 2.0;
                const double roofY = h.roof + (h.wall - h.roof) * std::fabs(x - mid) / half;
                if (y < roofY) break;
                c = y < h.wall ? Scale(h.colour, 0.7) : h.colour;
                // Windows: a 4 × 4 grid below the roof line.
                const int wx = (x - h.x0 - 14) / 20, wy = (y - h.wall - 16) / 40;
                const int fx = (x - h.x0 - 14) % 20, fy = (y - h.wall - 16) % 40;
                if (y >= h.wall + 16 && x >= h.x0 + 14 && wx < (h.x1 - h.x0 - 14) / 20 && wx < 4 &&
                    wy < 4 && fx < 12 && fy < 22 && y < 470)
                    c = lit[i * 16 + static_cast<size_t>(wy * 4 + wx)] ? Colour{1.0, 0.82, 0.45}
                                                                       : Colour{0.10, 0.10, 0.16};
                break;
            }
            // The street: cobbles shaded by two waves, darker towards the viewer.
            if (y >= 470) {
                const double u = (y - 470) / 130.0;
                const double cob = 0.5 + 0.25 * std::sin(x * 0.21 + y * 0.05) *
                                             std::sin(y * 0.33 + (x / 24) * 1.7);
                c = Scale(Colour{0.32, 0.28, 0.30}, (0.8 + 0.3 * cob) * (1 - 0.5 * u));
            }
            // Lamps: a warm glow round each lamp head.
            for (int lamp = 0; lamp < 3; ++lamp) {
                const double lx = 130 + lamp * 270.0, ly = 360;
                if (std::fabs(x - lx) < 2.5 && y > ly && y < 480) c = {0.08, 0.07, 0.09};
                const double d = std::hypot(x - lx, y - ly);
                if (d < 120) {
                    const double glow = std::exp(-d / 26.0);
                    c = {c.r + glow, c.g + glow * 0.8, c.b + glow * 0.45};
                }
            }
            p.Set(x, y, c);
        }
    }
    return p;
}

Picture Forest() {
    Picture p(800, 600);
    // Trunks: x position, width and tone, far ones paler in the mist.
    struct Trunk {
        double x, w, depth;
    };
    std::vector<Trunk> trunks;
    qw::Lcg random(5);
    for (int i = 0; i < 26; ++i)
        trunks.push_back({static_cast<double>(random.Next() % 820) - 10, 8.0 + random.Next() % 34,
                          (random.Next() % 100) / 100.0});
    std::sort(trunks.begin(), trunks.end(),
              [](const Trunk& a, const Trunk& b) { return a.depth > b.depth; }); // far first
    for (int y = 0; y < 600; ++y) {
        const double t = y / 599.0;
        for (int x = 0; x < 800; ++x) {
            const Colour mist{0.62, 0.68, 0.66};
            Colour c = Mix({0.42, 0.48, 0.50}, mist, t);
            // Foliage: a wavy canopy at the top.
            const double canopy = 90 + 40 * std::sin(x * 0.013) + 22 * std::sin(x * 0.041 + 2) +
                                  9 * std::sin(x * 0.13);
            if (y < canopy) c = Mix({0.14, 0.22, 0.18}, {0.24, 0.32, 0.26}, y / canopy);
            for (const Trunk& tr : trunks) {
                const double bend = 6 * std::sin(y * 0.01 + tr.x);
                const double d = std::fabs(x - tr.x - bend) - tr.w / 2;
                if (d < 1) {
                    const Colour bark =
                        Mix({0.10, 0.09, 0.08}, mist, tr.depth * 0.75 * (1 - t * 0.3));
                    const double ridge = 0.9 + 0.1 * std::sin((x - tr.x) * 1.3 + y * 0.05);
                    c = Mix(c, Scale(bark, ridge), Cover(d, 0.8));
                }
            }
            // The ground: wet moss.
            if (y > 500) c = Mix(c, {0.16, 0.22, 0.14}, Smooth(500, 530, y));
            p.Set(x, y, c);
        }
    }
    return p;
}

// The lake scene's sky and mountains at (x, y), for the picture and its reflection.
Colour LakeSky(double x, double y) {
    const double t = y / 380.0;
    Colour c = Mix({0.04, 0.05, 0.16}, {0.24, 0.22, 0.40}, t * t);
    const double moon = std::hypot(x - 600, y - 110);
    c = Mix(c, {0.98, 0.96, 0.86}, Cover(moon - 34, 1.2));
    const double halo = std::exp(-std::max(0.0, moon - 34) / 60.0) * 0.3;
    c = {c.r + halo, c.g + halo, c.b + halo * 0.8};
    const double far = 250 + 50 * std::sin(x * 0.009 + 1) + 25 * std::sin(x * 0.023);
    const double near = 300 + 60 * std::sin(x * 0.006 + 4) + 18 * std::sin(x * 0.05);
    if (y > far) c = Mix(c, {0.16, 0.16, 0.30}, Cover(far - y, 1));
    if (y > near) c = Mix(c, {0.07, 0.08, 0.16}, Cover(near - y, 1));
    return c;
}

constexpr int kShore = 380;

Colour LakeWater(int x, int y) {
    // The mirrored sky, darker and bluer, broken by horizontal ripples.
    const double ripple = 3 * std::sin(y * 0.7 + std::sin(x * 0.02) * 2);
    const Colour sky = LakeSky(x + ripple, 2.0 * kShore - y);
    Colour c = Mix(Scale(sky, 0.8), {0.06, 0.12, 0.28}, 0.25 + 0.2 * (y - kShore) / 220.0);
    // The moon's path on the water: glints that widen towards the shore.
    const double spread = 10 + (y - kShore) * 0.35;
    const double glint = std::exp(-std::pow((x - 600) / spread, 2)) *
                         std::max(0.0, std::sin(y * 1.3 + std::sin(x * 0.1) * 3)) *
                         (0.4 + 0.4 * std::sin(x * 0.37 + y * 0.11));
    return {c.r + glint, c.g + glint, c.b + glint * 0.9};
}

Picture Lake() {
    Picture p(800, 600);
    qw::Lcg random(99);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            p.Set(x, y, y < kShore ? LakeSky(x, y) : LakeWater(x, y));
    for (int i = 0; i < 160; ++i) { // stars above the mountains
        const int x = random.Next() % 800, y = random.Next() % 240;
        if (std::hypot(x - 600, y - 110) > 60) p.Set(x, y, {0.9, 0.9, 0.95});
    }
    return p;
}

Picture LakeOnly() {
    Picture p(800, 600 - kShore);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < 800; ++x)
            p.Set(x, y, LakeWater(x, y + kShore));
    return p;
}

// --- people -------------------------------------------------------------------------------

struct Look {
    Colour hair, skin, coat, trim;
    int hairStyle; // 0 long, 1 short, 2 ponytail
};

double Ellipse(double x, double y, double cx, double cy, double rx, double ry) {
    const double k = std::hypot((x - cx) / rx, (y - cy) / ry);
    return (k - 1) * std::min(rx, ry);
}
double Capsule(double x, double y, double ax, double ay, double bx, double by, double r) {
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(x - ax - t * vx, y - ay - t * vy) - r;
}

// A standing figure drawn from a few shapes, each painted over the last with a soft edge.
Picture Person(const Look& look) {
    Picture p(240, 460);
    const double cx = 120;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double shade = 1.05 - 0.25 * py / p.height;
            // Hair behind the head.
            double back = Ellipse(px, py, cx, 78, 52, 54);
            if (look.hairStyle == 0) back = std::min(back, Capsule(px, py, cx, 90, cx, 190, 50));
            if (look.hairStyle == 2)
                back = std::min(back, Capsule(px, py, cx + 44, 60, cx + 70, 150, 14));
            p.Paint(x, y, Scale(look.hair, shade), Cover(back));
            // Body: a coat widening to the hem, arms at its sides.
            const double u = std::clamp((py - 150) / 290, 0.0, 1.0);
            const double half = 44 + 44 * u;
            double body = std::max(std::fabs(px - cx) - half, std::max(150 - py, py - 440));
            body = std::min(body, Ellipse(px, py, cx, 158, 60, 22));
            const double arms = std::min(Capsule(px, py, cx - 58, 160, cx - 76, 330, 14),
                                         Capsule(px, py, cx + 58, 160, cx + 76, 330, 14));
            p.Paint(x, y, Scale(look.coat, shade * 0.9), Cover(arms));
            p.Paint(x, y, Scale(look.coat, shade), Cover(body));
            // A trim down the front and at the hem.
            const double trim =
                std::min(std::max(std::fabs(px - cx) - 4, std::max(150 - py, py - 440)),
                         std::max(std::fabs(px - cx) - half, std::fabs(py - 428) - 6));
            p.Paint(x, y, look.trim, Cover(trim) * Cover(body));
            // Hands, neck and face.
            const double hands = std::min(Ellipse(px, py, cx - 77, 338, 12, 13),
                                          Ellipse(px, py, cx + 77, 338, 12, 13));
            p.Paint(x, y, look.skin, Cover(hands));
            p.Paint(x, y, Scale(look.skin, 0.92), Cover(Capsule(px, py, cx, 110, cx, 146, 15)));
            p.Paint(x, y, look.skin, Cover(Ellipse(px, py, cx, 86, 44, 50)));
            // Fringe over the forehead.
            const double fringe =
                std::max(Ellipse(px, py, cx, 70, 50, 44), py - (58 + 8 * std::sin(px * 0.25)));
            double hairTop = fringe;
            if (look.hairStyle == 1) hairTop = std::min(hairTop, Ellipse(px, py, cx, 52, 48, 22));
            p.Paint(x, y, Scale(look.hair, shade * 1.1), Cover(hairTop));
            // Eyes and mouth.
            const double eyes =
                std::min(Ellipse(px, py, cx - 17, 92, 5, 7), Ellipse(px, py, cx + 17, 92, 5, 7));
            p.Paint(x, y, {0.12, 0.10, 0.16}, Cover(eyes, 0.7));
            const double mouth =
                std::max(std::fabs(Ellipse(px, py, cx, 106, 10, 6)) - 1.2, 106 - py);
            p.Paint(x, y, {0.55, 0.25, 0.28}, Cover(mouth, 0.7));
        }
    }
    return p;
}

// --- panel, rule, shapes ------------------------------------------------------------------

// A rounded rectangle's signed distance, (x, y) relative to its centre.
double RoundRect(double x, double y, double halfW, double halfH, double radius) {
    const double qx = std::max(std::fabs(x) - (halfW - radius), 0.0);
    const double qy = std::max(std::fabs(y) - (halfH - radius), 0.0);
    return std::hypot(qx, qy) - radius;
}

Picture Panel() {
    Picture p(800, 150);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const double d = RoundRect(x + 0.5 - 400, y + 0.5 - 75, 390, 68, 14);
            const double inside = Cover(d);
            if (inside <= 0) continue;
            const double rim = Smooth(-3.5, -1.5, d);
            const Colour face = Mix({0.10, 0.14, 0.32}, {0.03, 0.05, 0.14}, y / 150.0);
            p.Set(x, y, Mix(face, {0.78, 0.84, 1.0}, rim), inside * (0.8 + 0.15 * rim));
        }
    return p;
}

Picture Rule() {
    Picture p(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double v = std::clamp(0.65 * x / 800.0 + 0.35 * y / 600.0 +
                                            0.05 * std::sin(y * 0.05 + x * 0.01),
                                        0.0, 1.0);
            p.Set(x, y, {v, v, v});
        }
    return p;
}

double StarDistance(double x, double y, double radius) {
    // A five-pointed star: the angle folded onto the stretch from a point (radius) to the next
    // notch (0.4 of it), and the radius where the ray meets that straight edge.
    constexpr double kHalfArm = kPi / 5, kInner = 0.4;
    const double r = std::hypot(x, y);
    double a = std::fmod(std::atan2(x, -y) + 4 * kPi, 2 * kHalfArm);
    if (a > kHalfArm) a = 2 * kHalfArm - a;
    const double edge =
        kInner * std::sin(kHalfArm) / (std::sin(a) + kInner * std::sin(kHalfArm - a));
    return r - radius * edge;
}

Picture WipeStar() {
    Picture p(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double inside = StarDistance(x + 0.5 - 128, y + 0.5 - 128, 120) < 0;
            p.Set(x, y, {inside, inside, inside});
        }
    return p;
}

Picture Drop() {
    Picture p(8, 72);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const double across = Smooth(4, 1, std::fabs(x + 0.5 - 4));
            p.Set(x, y, {0.90, 0.95, 1.0}, across * Smooth(0, 60, y));
        }
    return p;
}

// Writes a picture's elements as "x,y,w,h" lines.
struct Sheet {
    Picture picture;
    std::string elements;
    void Cell(int x, int y, int w, int h) {
        elements += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
                    std::to_string(h) + "\n";
    }
};

Sheet Flare() {
    Sheet s{Picture(640, 256), ""};
    // Element 0, the flash: a white core, a warm halo and a horizontal streak.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double dx = x + 0.5 - 128, dy = y + 0.5 - 128, d = std::hypot(dx, dy);
            const double a = std::clamp(std::exp(-d / 40.0) + 0.6 * std::exp(-std::fabs(dy) / 3.0) *
                                                                  std::exp(-std::fabs(dx) / 120.0),
                                        0.0, 1.0);
            s.picture.Set(x, y, Mix({1.0, 0.85, 0.55}, {1, 1, 1}, std::exp(-d / 20.0)), a);
        }
    s.Cell(0, 0, 256, 256);
    // Elements 1–11: discs and rings in the hues of a lens, one 64 × 64 cell each.
    static constexpr Colour kHues[11] = {{1.0, 0.9, 0.6}, {0.5, 0.8, 1.0}, {0.6, 1.0, 0.6},
                                         {1.0, 0.5, 0.3}, {0.8, 0.6, 1.0}, {0.4, 0.6, 1.0},
                                         {1.0, 1.0, 0.7}, {0.5, 1.0, 0.9}, {1.0, 0.6, 0.8},
                                         {0.7, 0.8, 1.0}, {1.0, 0.8, 0.4}};
    for (int i = 0; i < 11; ++i) {
        const int x0 = 256 + (i % 6) * 64, y0 = (i / 6) * 64;
        const double radius = 12 + (i * 7) % 19;
        const bool ring = i % 3 == 1;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const double d = std::hypot(x + 0.5 - 32, y + 0.5 - 32) - radius;
                const double a = ring ? Cover(std::fabs(d + 2) - 2, 1.2)
                                      : Cover(d, 1.5) * (0.5 + 0.5 * Smooth(-radius, 0, d));
                s.picture.Set(x0 + x, y0 + y, kHues[i], a * 0.7);
            }
        s.Cell(x0, y0, 64, 64);
    }
    return s;
}

Sheet Scratch() {
    Sheet s{Picture(72, 300), ""};
    for (int cell = 0; cell < 3; ++cell) {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 24; ++x) {
                const double line = 12 + (cell - 1) * 5 * std::sin(y * (0.01 + cell * 0.013));
                const double width = 0.6 + 0.5 * cell;
                const double a = Cover(std::fabs(x + 0.5 - line) - width, 0.8) *
                                 (0.5 + 0.5 * std::sin(y * 0.04 + cell));
                s.picture.Set(cell * 24 + x, y, {1, 1, 0.95}, a);
            }
        s.Cell(cell * 24, 0, 24, 300);
    }
    return s;
}

Picture FilmEdge() {
    Picture p(800, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const double r = std::hypot((x + 0.5 - 400) / 400, (y + 0.5 - 300) / 300);
            p.Set(x, y, {0, 0, 0}, Smooth(0.6, 1.25, r) * 0.85);
        }
    return p;
}

Picture Pinwheel() {
    Picture p(160, 160);
    static constexpr Colour kBlades[4] = {
        {0.95, 0.35, 0.30}, {0.98, 0.82, 0.30}, {0.35, 0.70, 0.95}, {0.45, 0.85, 0.45}};
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x) {
            const double dx = x + 0.5 - 80, dy = y + 0.5 - 80, r = std::hypot(dx, dy);
            double a = std::atan2(dy, dx) + kPi;
            const int blade = static_cast<int>(a / (kPi / 2)) % 4;
            a = std::fmod(a, kPi / 2);
            // Each blade a curved triangle: its edge moves in as it leaves the centre.
            const double edge = (kPi / 2) * (1 - r / 76.0);
            const double d = std::max((a - edge) * r, r - 76);
            p.Paint(x, y, Scale(kBlades[blade], 0.75 + 0.25 * a / (kPi / 2)), Cover(d));
            p.Paint(x, y, {0.95, 0.95, 0.9}, Cover(r - 7));
        }
    return p;
}

Picture Logs() {
    Picture p(800, 150);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 800; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            // Stones along the bottom, three logs crossed over the middle.
            for (int i = 0; i < 9; ++i) {
                const double sx = 250 + i * 37.5, sy = 138 - (i % 2) * 3;
                p.Paint(x, y, Scale({0.35, 0.34, 0.36}, 0.7 + 0.05 * (i % 4)),
                        Cover(Ellipse(px, py, sx, sy, 22, 12)));
            }
            const double logs[3][4] = {
                {300, 132, 520, 112}, {500, 134, 290, 110}, {340, 126, 470, 126}};
            for (const auto& l : logs) {
                const double d = Capsule(px, py, l[0], l[1], l[2], l[3], 11);
                const double grain = 0.85 + 0.15 * std::sin((px + py) * 0.6);
                p.Paint(x, y, Scale({0.36, 0.22, 0.12}, grain), Cover(d));
            }
        }
    return p;
}

// --- output -------------------------------------------------------------------------------

bool WritePng(const std::string& path, const Picture& p, bool alpha) {
    // A middle compression level: the pictures are re-encoded by qwmgd at once anyway.
    qw::Bytes png = qw::EncodePng(p.pixels.data(), p.width, p.height, alpha, 3);
    return !png.empty() && qw::platform::WriteFileAtomic(path, png);
}

bool WriteText(const std::string& path, const std::string& text) {
    return qw::platform::WriteFileAtomic(
        path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: demo_scene_pictures OUTDIR\n", stderr);
        return 2;
    }
    const std::string out = argv[1];
    std::filesystem::create_directories(out + "/png");
    std::filesystem::create_directories(out + "/elements");
    const auto png = [&](const char* name, const Picture& p, bool alpha) {
        return WritePng(out + "/png/" + name + ".png", p, alpha);
    };
    bool ok = png("BG_TOWN", Town(), false) && png("BG_WOOD", Forest(), false) &&
              png("BG_LAKE", Lake(), false) && png("LAKE", LakeOnly(), false);
    const Look people[3] = {
        {{0.12, 0.14, 0.30}, {0.98, 0.86, 0.76}, {0.25, 0.42, 0.80}, {0.92, 0.92, 1.0}, 0},
        {{0.35, 0.22, 0.12}, {0.92, 0.76, 0.62}, {0.22, 0.50, 0.32}, {0.85, 0.75, 0.40}, 1},
        {{0.72, 0.30, 0.16}, {1.00, 0.88, 0.80}, {0.78, 0.20, 0.26}, {1.00, 0.90, 0.85}, 2}};
    ok = ok && png("CHR_AOI", Person(people[0]), true) && png("CHR_BEN", Person(people[1]), true) &&
         png("CHR_CORA", Person(people[2]), true);
    ok = ok && png("WINDOW", Panel(), true) && png("RULEGRAD", Rule(), false) &&
         png("WIPESTAR", WipeStar(), false) && png("DROP", Drop(), true) &&
         png("FILMEDGE", FilmEdge(), true) && png("PINWHEEL", Pinwheel(), true) &&
         png("LOGS", Logs(), true);
    for (const auto& [name, sheet] : {std::pair<const char*, Sheet>{"FLARE", Flare()},
                                      std::pair<const char*, Sheet>{"SCRATCH", Scratch()}})
        ok = ok && png(name, sheet.picture, true) &&
             WriteText(out + "/elements/" + name + ".txt", sheet.elements);
    if (!ok) {
        std::fprintf(stderr, "demo_scene_pictures: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
