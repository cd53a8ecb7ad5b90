// Runs the qwmgd program (its path in $QWMGD) on generated pictures: every encoding decodes back
// to the same pixels, element lists reach the file, and bad input is refused.
#include <gtest/gtest.h>

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
protected:
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
    const std::string png = Path("palette.png"), mgd = Path("bad.MGD");
    const Bytes palette = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0,
                           13,   'I', 'H', 'D', 'R',  0,    0,    0,    1, 0, 0,
                           0,    1,   8,   3,   0,    0,    0,    0,    0, 0, 0};
    ASSERT_TRUE(platform::WriteFileAtomic(png, palette));
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
