// Runs the qwmgd program (its path in $QWMGD) on generated pictures: every encoding decodes back
// to the same pixels, element lists reach the file, and bad input is refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ElementList.h"
#include "graphics/CDIBSprite.h"
#include "graphics/PngCodec.h"
#include "platform/FileSystem.h"

namespace qw {
namespace {

namespace fs = std::filesystem;

struct Picture {
    std::string name;
    int width, height;
    bool alpha;
    std::vector<uint32_t> pixels;
};

std::vector<Picture> Pictures() {
    uint32_t seed = 7;
    auto next = [&] {
        seed = seed * 214013 + 2531011;
        return (seed >> 16) & 0x7FFF;
    };
    std::vector<Picture> out;
    auto add = [&](std::string name, int w, int h, bool alpha, auto f) {
        Picture p{std::move(name), w, h, alpha, {}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.pixels.push_back(f(x, y));
        out.push_back(std::move(p));
    };
    add("dot", 1, 1, true, [](int, int) { return 0x12345678u; });
    add("sky", 120, 90, false, [](int x, int y) {
        return 0xFF000000u | uint32_t(40 + y) << 16 | uint32_t(90 + y / 2) << 8 |
               uint32_t(200 + x / 4);
    });
    add("sprite", 77, 51, true, [&](int x, int y) {
        const int d = (x - 38) * (x - 38) + (y - 25) * (y - 25);
        const uint32_t a = d < 300 ? 255 : d < 555 ? uint32_t(555 - d) : 0;
        return a << 24 | (a ? uint32_t(next()) * 0x10001u & 0xFFFFFF : 0);
    });
    add("noise", 64, 3, true, [&](int, int) { return uint32_t(next()) << 17 ^ uint32_t(next()); });
    return out;
}

class QwmgdTool : public ::testing::Test {
public:
    void SetUp() override {
        const char* tool = std::getenv("QWMGD");
        if (!tool) GTEST_SKIP() << "QWMGD is not set";
        tool_ = tool;
        fs::create_directories(work_);
    }
    int Run(const std::string& args) {
        const std::string command =
            "\"" + tool_ + "\" " + args + " 2>" + (work_ / "stderr.txt").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Path(const std::string& name) { return (work_ / name).string(); }
    std::string Stderr() {
        auto err = platform::ReadWholeFile(Path("stderr.txt"));
        return err ? std::string(err->begin(), err->end()) : "";
    }
    std::string Output(const std::string& args) {
        const std::string out = Path("stdout.txt");
        if (Run(args + " >\"" + out + "\"") != 0) return "";
        auto bytes = platform::ReadWholeFile(out);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "";
    }

    std::string tool_;
    fs::path work_ = QWMGD_WORK_DIR;
};

std::vector<uint32_t> ReadPng(const std::string& path) {
    auto file = platform::ReadWholeFile(path);
    if (!file) return {};
    auto header = ReadPngHeader(*file);
    if (!header) return {};
    std::vector<uint32_t> px(size_t{header->width} * header->height);
    if (!DecodePng(*file, px.data(), int(header->width), int(header->height))) return {};
    return px;
}

TEST_F(QwmgdTool, EveryEncodingRoundTrips) {
    for (const Picture& p : Pictures()) {
        const std::string in = Path(p.name + ".png");
        ASSERT_TRUE(
            platform::WriteFileAtomic(in, EncodePng(p.pixels.data(), p.width, p.height, p.alpha)));
        std::vector<uint32_t> expected = p.pixels;
        if (!p.alpha)
            for (uint32_t& v : expected)
                v |= 0xFF000000; // RGB pictures are opaque
        for (const char* encoding : {"raw", "rle", "png"}) {
            const std::string mgd = Path(p.name + "." + encoding + ".MGD");
            const std::string out = Path(p.name + "." + encoding + ".out.png");
            ASSERT_EQ(Run(std::string("encode --encoding ") + encoding + " " + in + " " + mgd), 0)
                << p.name << " " << encoding;
            ASSERT_EQ(Run("decode " + mgd + " " + out), 0) << p.name << " " << encoding;
            EXPECT_EQ(ReadPng(out), expected) << p.name << " " << encoding;
        }
    }
}

TEST_F(QwmgdTool, ElementsAndInfo) {
    const Picture p = Pictures()[1];
    const std::string in = Path("elements.png"), mgd = Path("elements.MGD"),
                      list = Path("list.txt");
    ASSERT_TRUE(
        platform::WriteFileAtomic(in, EncodePng(p.pixels.data(), p.width, p.height, false)));

    ASSERT_EQ(Run("encode --elements '0,0,60,90; 60,0,60,90' " + in + " " + mgd), 0);
    EXPECT_EQ(Output("info " + mgd),
              "size: 120 x 90\nformat: 0\nencoding: 1 (rle)\ndata: " +
                  std::to_string(platform::ReadWholeFile(mgd)->size() - 96 - 8 - 4 - 16) +
                  " bytes\nfile: " + std::to_string(platform::ReadWholeFile(mgd)->size()) +
                  " bytes\nelements: 2 (4 words each)\n  0: 0,0,60,90\n  1: 60,0,60,90\n");

    const std::string text = "# buttons\n0,0,10,10,1,2\n10,0,10,10,3,4 # pressed\n";
    ASSERT_TRUE(platform::WriteFileAtomic(
        list, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
    ASSERT_EQ(Run("encode --encoding png --elements " + list + " " + in + " " + mgd), 0);
    CDIBSprite s;
    ASSERT_TRUE(s.Decode(*platform::ReadWholeFile(mgd)));
    EXPECT_EQ(s.GetElementWords(), 6);
    ASSERT_EQ(s.GetElementCount(), 2);
    EXPECT_EQ(*s.GetElement(1), (SpriteElement{10, 0, 10, 10, 3, 4}));
}

TEST_F(QwmgdTool, RefusesBadInput) {
    // A palette picture's header and nothing after it (no PLTE, no pixels).
    const std::string png = Path("header-only.png"), mgd = Path("bad.MGD");
    const Bytes headerOnly = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0,
                              13,   'I', 'H', 'D', 'R',  0,    0,    0,    1, 0, 0,
                              0,    1,   8,   3,   0,    0,    0,    0,    0, 0, 0};
    ASSERT_TRUE(platform::WriteFileAtomic(png, headerOnly));
    EXPECT_EQ(Run("encode " + png + " " + mgd), 1);
    EXPECT_EQ(Run("encode --encoding gif " + png + " " + mgd), 1);
    EXPECT_EQ(Run("encode " + Path("missing.png") + " " + mgd), 1);
    EXPECT_EQ(Run("decode " + png + " " + Path("x.png")), 1); // not an MGD file
    EXPECT_EQ(Run("bogus"), 2);
    EXPECT_FALSE(fs::exists(mgd));
}

// A damaged file is refused with what is wrong in it, beside the engine's own text.
TEST_F(QwmgdTool, SaysWhyItRefusesADamagedFile) {
    const std::vector<uint32_t> px(6 * 4, 0xFF336699u);
    const Bytes good = BuildMgdFile(6, 4, MgdEncoding::Raw,
                                    ByteSpan(reinterpret_cast<const uint8_t*>(px.data()), 96),
                                    std::vector<SpriteElement>{{0, 0, 6, 4}}, 4);
    const struct {
        const char* what;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"short", Bytes(good.begin(), good.begin() + 50),
         "50 bytes, shorter than the 96-byte header"},
        {"element table cut", Bytes(good.begin(), good.end() - 3),
         "1 elements of 4 words need 8 bytes at offset 204; the file has 209 bytes"},
        {"pixels missing", Bytes(good.begin(), good.begin() + 150),
         "the raw data (block of 96 bytes, 54 bytes after the header) cannot fill a 6 x 4 picture"},
    };
    for (const auto& c : cases) {
        const std::string mgd = Path("damaged.mgd");
        ASSERT_TRUE(platform::WriteFileAtomic(mgd, c.file));
        EXPECT_EQ(Run("decode " + mgd + " " + Path("x.png")), 1) << c.what;
        auto err = platform::ReadWholeFile(Path("stderr.txt"));
        ASSERT_TRUE(err);
        EXPECT_NE(std::string(err->begin(), err->end()).find(c.reason), std::string::npos)
            << c.what << ": " << std::string(err->begin(), err->end());
    }
}

// PNG streams of every kind, written here sample by sample (not through libpng, so the reader is
// checked against an independent writer). Samples are row-major, `channels` per pixel, at the
// picture's depth; palette pictures hold indices.
struct PngKind {
    const char* name;
    int colorType, depth, width, height;
    bool interlaced, key;
};

int ChannelsOf(int colorType) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    return kChannels[colorType];
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(data.size() >> shift));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    const uLong crc = crc32(0, body.data(), uInt(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(crc >> shift));
}

void PutBE(Bytes& out, unsigned value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(uint8_t(value >> (8 * i)));
}

Bytes WritePngKind(const PngKind& k, const std::vector<unsigned>& samples, const Bytes& plte,
                   const Bytes& trns) {
    const int channels = ChannelsOf(k.colorType);
    Bytes raw;
    // Adam7's passes (x0, y0, dx, dy), or the whole picture.
    static const int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const int kWhole[1][4] = {{0, 0, 1, 1}};
    const int passes = k.interlaced ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        const int* pass = k.interlaced ? kAdam7[p] : kWhole[0];
        if (pass[0] >= k.width || pass[1] >= k.height) continue; // an empty pass has no rows
        for (int y = pass[1]; y < k.height; y += pass[3]) {
            raw.push_back(0); // filter: none
            unsigned bits = 0, count = 0;
            for (int x = pass[0]; x < k.width; x += pass[2])
                for (int c = 0; c < channels; ++c) {
                    const unsigned v = samples[(size_t(y) * k.width + x) * channels + c];
                    if (k.depth >= 8) {
                        PutBE(raw, v, k.depth / 8);
                        continue;
                    }
                    bits = bits << k.depth | v;
                    count += k.depth;
                    if (count == 8) raw.push_back(uint8_t(bits)), bits = count = 0;
                }
            if (count) raw.push_back(uint8_t(bits << (8 - count)));
        }
    }
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBE(ihdr, k.width, 4);
    PutBE(ihdr, k.height, 4);
    ihdr.insert(ihdr.end(), {uint8_t(k.depth), uint8_t(k.colorType), 0, 0, k.interlaced});
    PutChunk(out, "IHDR", ihdr);
    if (!plte.empty()) PutChunk(out, "PLTE", plte);
    if (!trns.empty()) PutChunk(out, "tRNS", trns);
    uLongf size = compressBound(uLong(raw.size()));
    Bytes idat(size);
    EXPECT_EQ(compress(idat.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    idat.resize(size);
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out;
}

// A sample of `depth` bits as 8 bits: bit replication below 8 (the same as v × 255 / max),
// the high byte of 16.
unsigned To8(unsigned v, int depth) {
    return depth == 16 ? v >> 8 : depth == 8 ? v : v * 255 / ((1u << depth) - 1);
}

// Converts the picture `kinds` describe through the tool in every encoding, decodes it back and
// compares it with `expected` (B, G, R, A words).
void ExpectRoundTrip(QwmgdTool& t, const std::string& name, const Bytes& png,
                     const std::vector<uint32_t>& expected) {
    const std::string in = t.Path(name + ".png");
    ASSERT_TRUE(platform::WriteFileAtomic(in, png));
    for (const char* encoding : {"raw", "rle", "png"}) {
        const std::string mgd = t.Path(name + "." + encoding + ".MGD");
        const std::string out = t.Path(name + "." + encoding + ".out.png");
        ASSERT_EQ(t.Run(std::string("encode --encoding ") + encoding + " " + in + " " + mgd), 0)
            << name << " " << encoding;
        ASSERT_EQ(t.Run("decode " + mgd + " " + out), 0) << name << " " << encoding;
        EXPECT_EQ(ReadPng(out), expected) << name << " " << encoding;
    }
}

TEST_F(QwmgdTool, EveryKindOfPngRoundTrips) {
    const PngKind kinds[] = {
        {"gray1", 0, 1, 11, 3, false, false},       {"gray2", 0, 2, 5, 2, false, false},
        {"gray8", 0, 8, 4, 4, false, false},        {"gray16", 0, 16, 3, 2, false, false},
        {"gray4-key", 0, 4, 7, 2, false, true},     {"gray16-key", 0, 16, 9, 9, true, true},
        {"grayalpha8", 4, 8, 5, 3, false, false},   {"grayalpha16", 4, 16, 3, 3, false, false},
        {"rgb8-key", 2, 8, 6, 5, true, true},       {"rgb16", 2, 16, 4, 2, false, false},
        {"rgb16-key", 2, 16, 5, 3, false, true},    {"rgba8-adam7", 6, 8, 13, 10, true, false},
        {"rgba16", 6, 16, 3, 2, false, false},      {"palette1", 3, 1, 10, 2, false, false},
        {"palette4-trns", 3, 4, 9, 3, false, true}, {"palette8-adam7", 3, 8, 9, 9, true, true},
    };
    uint32_t seed = 11;
    auto next = [&] {
        seed = seed * 214013 + 2531011;
        return (seed >> 8) & 0xFFFF;
    };
    for (const PngKind& k : kinds) {
        const int channels = ChannelsOf(k.colorType);
        const bool palette = k.colorType == 3;
        const unsigned maxSample = (1u << k.depth) - 1;
        // Palette: one entry per index the depth allows (at most 16), the first three with tRNS
        // alphas when `key`.
        const int entries = palette ? std::min(1 << k.depth, 16) : 0;
        Bytes plte, trns;
        std::vector<uint32_t> table;
        for (int i = 0; i < entries; ++i) {
            const uint8_t r = uint8_t(next()), g = uint8_t(next()), b = uint8_t(next());
            plte.insert(plte.end(), {r, g, b});
            const uint8_t a = k.key && i < 3 ? uint8_t(i * 100) : 255;
            if (k.key && i < 3) trns.push_back(a);
            table.push_back(uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b);
        }
        std::vector<unsigned> keySamples;
        if (k.key && !palette)
            for (int c = 0; c < channels; ++c) {
                keySamples.push_back(next() & maxSample);
                PutBE(trns, keySamples.back(), 2);
            }
        std::vector<unsigned> samples;
        std::vector<uint32_t> expected;
        for (int i = 0; i < k.width * k.height; ++i) {
            std::vector<unsigned> px;
            for (int c = 0; c < channels; ++c)
                px.push_back(palette ? next() % unsigned(entries) : next() & maxSample);
            // Every third pixel is the colour key; every fifth differs from it only in the
            // lowest bit of its last sample (a 16-bit key is compared at full depth).
            if (!keySamples.empty() && i % 3 == 0) px = keySamples;
            if (!keySamples.empty() && i % 5 == 1) px = keySamples, px.back() ^= 1;
            samples.insert(samples.end(), px.begin(), px.end());
            uint32_t word;
            if (palette) {
                word = table[px[0]];
            } else {
                const bool color = channels >= 3;
                const unsigned r = To8(px[0], k.depth), g = To8(px[color ? 1 : 0], k.depth),
                               b = To8(px[color ? 2 : 0], k.depth);
                unsigned a = 255;
                if (channels == 2 || channels == 4) a = To8(px.back(), k.depth);
                if (!keySamples.empty() && px == keySamples) a = 0;
                word = a << 24 | r << 16 | g << 8 | b;
            }
            expected.push_back(word);
        }
        ExpectRoundTrip(*this, k.name, WritePngKind(k, samples, plte, trns), expected);
    }
}

// Small files kept as they are: palette pictures with and without tRNS, and colour keys on RGB
// (8 and 16 bits, where a pixel sharing the key's high bytes stays opaque) and on 4-bit gray.
TEST_F(QwmgdTool, PaletteAndColourKeyFixtures) {
    const struct {
        const char* file;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"palette-trns",
         {0x00FF0000, 0x8000FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF0000FF, 0x8000FF00,
          0x00FF0000}},
        {"palette-1bit", {0xFF0A141E, 0xFFC86432, 0xFF0A141E, 0xFFC86432, 0xFFC86432, 0xFF0A141E}},
        {"rgb-key", {0x000A141E, 0xFF0A141F, 0xFFC89664}},
        {"rgb16-key", {0x0012569A, 0xFF12569A}},
        {"gray4-key", {0xFF000000, 0x00555555, 0xFFFFFFFF, 0xFF666666}},
    };
    for (const auto& c : cases) {
        auto png = platform::ReadWholeFile(std::string(QWMGD_FIXTURES) + "/" + c.file + ".png");
        ASSERT_TRUE(png) << c.file;
        ExpectRoundTrip(*this, std::string("fixture-") + c.file, *png, c.expected);
    }
}

TEST_F(QwmgdTool, SaysWhyItRefusesAPicture) {
    Bytes truncated = *platform::ReadWholeFile(std::string(QWMGD_FIXTURES) + "/rgb-key.png");
    truncated.resize(truncated.size() - 20); // into the IDAT chunk
    Bytes huge = truncated;
    huge[16] = 0x7F; // a width above 2^30
    const struct {
        const char* what;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"palette index",
         *platform::ReadWholeFile(std::string(QWMGD_FIXTURES) + "/palette-bad-index.png"),
         "pixel (1, 0) uses palette entry 5; the palette has 2"},
        {"cut short", truncated, "the IDAT chunk claims 18 bytes where 14 remain"},
        {"too wide", huge, "pictures are 1 to 16384 pixels wide and high"},
        {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}, "not a PNG file"},
    };
    for (const auto& c : cases) {
        const std::string png = Path("refused.png"), mgd = Path("refused.MGD");
        fs::remove(mgd);
        ASSERT_TRUE(platform::WriteFileAtomic(png, c.file));
        EXPECT_EQ(Run("encode " + png + " " + mgd), 1) << c.what;
        EXPECT_FALSE(fs::exists(mgd)) << c.what;
        const std::string err = Stderr();
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.what << ": " << err;
    }
}

// A directory of pictures: each becomes NAME.MGD with the same encoding, element lists come
// from a directory by name, a summary line is printed, and a bad file fails the run by name
// without stopping the others.
TEST_F(QwmgdTool, ConvertsADirectory) {
    const fs::path in = work_ / "batch-in", out = work_ / "batch-out", lists = work_ / "lists";
    fs::remove_all(in);
    fs::remove_all(out);
    fs::create_directories(in);
    fs::create_directories(lists);
    const std::vector<uint32_t> px(8 * 4, 0x80336699u);
    const Bytes good = EncodePng(px.data(), 8, 4, true);
    ASSERT_TRUE(platform::WriteFileAtomic((in / "A.png").string(), good));
    ASSERT_TRUE(platform::WriteFileAtomic((in / "b.PNG").string(), good));
    ASSERT_TRUE(platform::WriteFileAtomic((in / "notes.txt").string(), Bytes{'x'}));
    const std::string list = "0,0,4,4\n4,0,4,4\n";
    ASSERT_TRUE(platform::WriteFileAtomic(
        (lists / "A.txt").string(),
        std::span(reinterpret_cast<const uint8_t*>(list.data()), list.size())));

    EXPECT_EQ(Output("encode --encoding png --elements " + lists.string() + " " + in.string() +
                     " " + out.string()),
              "qwmgd: 2 of 2 pictures converted into " + out.string() + "\n");
    CDIBSprite a, b;
    ASSERT_TRUE(a.Decode(*platform::ReadWholeFile((out / "A.MGD").string())));
    ASSERT_TRUE(b.Decode(*platform::ReadWholeFile((out / "b.MGD").string())));
    EXPECT_EQ(a.GetElementCount(), 2);
    EXPECT_EQ(b.GetElementCount(), 1); // no list for it: one element
    EXPECT_EQ(std::vector<uint32_t>(b.GetPixels(), b.GetPixels() + 32), px);
    EXPECT_FALSE(fs::exists(out / "notes.MGD"));

    ASSERT_TRUE(platform::WriteFileAtomic((in / "C.png").string(), Bytes{'n', 'o'}));
    fs::remove_all(out);
    EXPECT_EQ(Run("encode " + in.string() + " " + out.string() + " >" + Path("stdout.txt")), 1);
    auto summary = platform::ReadWholeFile(Path("stdout.txt"));
    EXPECT_EQ(std::string(summary->begin(), summary->end()),
              "qwmgd: 2 of 3 pictures converted into " + out.string() + "; failed: C.png\n");
    EXPECT_NE(Stderr().find("C.png: not a PNG file"), std::string::npos) << Stderr();
    EXPECT_TRUE(fs::exists(out / "A.MGD"));
    EXPECT_TRUE(fs::exists(out / "b.MGD"));

    fs::create_directories(work_ / "empty");
    EXPECT_EQ(Run("encode " + (work_ / "empty").string() + " " + out.string()), 1);
}

TEST(QwmgdElementList, Syntax) {
    std::string error;
    auto list = tools::ParseElementList(" 1, 2,3,4 ;5,6,7,8\n# all\n9,10,11,12#x;1,1,1,1\n", error);
    ASSERT_TRUE(list) << error;
    EXPECT_EQ(list->words, 4);
    ASSERT_EQ(list->elements.size(), 3u);
    EXPECT_EQ(list->elements[2], (SpriteElement{9, 10, 11, 12}));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,4;1,2,3,4,5,6", "1,2,x,4",
                            "1,2,40000,4", "1,,3,4", "1,2,3,4,5,6,7"})
        EXPECT_FALSE(tools::ParseElementList(bad, error)) << bad;
}

} // namespace
} // namespace qw
