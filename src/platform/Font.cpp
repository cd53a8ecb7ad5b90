#include "platform/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <iconv.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/CodePage.h"

namespace qw::platform {

namespace {

std::mutex& FontMutex() {
    static std::mutex m;
    return m;
}

std::string& OverrideFile() {
    static std::string path;
    return path;
}

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) return static_cast<FT_Library>(nullptr);
        return lib;
    }();
    return library;
}

struct FaceSlot {
    FT_Face face = nullptr;
    uint32_t ordinal = 0;
};

// Open faces by (file, pixel height); they stay open for the program's life.
std::map<std::pair<std::string, int>, FaceSlot>& OpenFaces() {
    static std::map<std::pair<std::string, int>, FaceSlot> faces;
    return faces;
}

// Character codes of a code page to Unicode, converted once each.
uint32_t ToUnicode(const char* codePage, uint32_t code) {
    static std::map<std::string, std::unordered_map<uint32_t, uint32_t>> tables;
    auto& known = tables[codePage];
    if (auto it = known.find(code); it != known.end()) return it->second;
    iconv_t cd = iconv_open("UTF-32LE", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[2];
    size_t inLeft = 0;
    if (code > 0xFF) in[inLeft++] = char(code >> 8);
    in[inLeft++] = char(code & 0xFF);
    char* inPtr = in;
    uint8_t out[8] = {};
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    uint32_t cp = 0;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 4)
        cp = uint32_t(out[0]) | uint32_t(out[1]) << 8 | uint32_t(out[2]) << 16 |
             uint32_t(out[3]) << 24;
    iconv_close(cd);
    known[code] = cp;
    return cp;
}

struct FaceQuery {
    std::vector<std::string> families;
    const char* lang;
    uint32_t test[2];
};

FaceQuery QueryFor(const std::string& faceUtf8, const char* codePage) {
    const bool chinese = std::string(codePage) == "GBK";
    // The engine's own aliases: the Japanese gothic face and the Chinese black face map to the
    // monospaced CJK fonts a Linux system usually has.
    const std::vector<std::string> gothic = {"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"};
    const std::vector<std::string> hei = {"WenQuanYi Zen Hei Mono"};
    FaceQuery q;
    q.lang = chinese ? "zh-cn" : "ja";
    q.test[0] = 0x3042;                      // あ
    q.test[1] = chinese ? 0x6C49u : 0x6F22u; // 汉, 漢
    if (faceUtf8 == "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF" ||
        faceUtf8 == "MS Gothic" || faceUtf8.empty()) {
        q.families = gothic;
    } else if (faceUtf8 == "SimHei") {
        q.families = hei;
    } else {
        q.families.push_back(faceUtf8);
        for (const auto& f : chinese ? hei : gothic)
            q.families.push_back(f);
    }
    return q;
}

std::string Resolve(const std::string& face, const char* codePage) {
    if (!OverrideFile().empty()) return OverrideFile();
    static std::map<std::pair<std::string, std::string>, std::string> resolved;
    const auto key = std::make_pair(face, std::string(codePage));
    if (auto it = resolved.find(key); it != resolved.end()) return it->second;

    const FaceQuery q = QueryFor(CodePageToUtf8(codePage, face).value_or(face), codePage);
    std::string file;
    if (FcInit()) {
        FcPattern* pattern = FcPatternCreate();
        for (const auto& family : q.families)
            FcPatternAddString(pattern, FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(q.lang));
        FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
        for (int i = 0; set && i < set->nfont && file.empty(); ++i) {
            FcCharSet* chars = nullptr;
            FcChar8* path = nullptr;
            if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
                FcPatternGetString(set->fonts[i], FC_FILE, 0, &path) != FcResultMatch)
                continue;
            if (FcCharSetHasChar(chars, q.test[0]) && FcCharSetHasChar(chars, q.test[1]))
                file = reinterpret_cast<const char*>(path);
        }
        if (set) FcFontSetDestroy(set);
        FcPatternDestroy(pattern);
    }
    resolved[key] = file;
    return file;
}

class FreeTypeFont final : public Font {
public:
    FreeTypeFont(FT_Face face, uint32_t ordinal, std::string file, const FontRequest& r)
        : face_(face), file_(std::move(file)), request_(r) {
        ascent_ = int(std::lround(double(face->ascender) * r.height / face->units_per_EM));
        const uint64_t esc = uint64_t(((r.escapement % 3600) + 3600) % 3600);
        key_ = uint64_t(ordinal) << 40 | uint64_t(r.height) << 24 |
               uint64_t(r.weight >= 600) << 23 | uint64_t(r.italic) << 22 | esc;
    }
    int Ascent() const override { return ascent_; }
    const std::string& File() const override { return file_; }
    uint64_t Key() const override { return key_; }

    bool Render(uint32_t code, bool monochrome, GlyphBitmap& out) override {
        std::lock_guard lock(FontMutex());
        const uint32_t cp = ToUnicode(request_.codePage, code);
        if (cp == 0) return false;
        const FT_UInt index = FT_Get_Char_Index(face_, cp);
        if (index == 0) return false;
        if (request_.escapement % 3600 != 0) {
            const double angle = request_.escapement * M_PI / 1800.0;
            FT_Matrix m;
            m.xx = FT_Fixed(std::lround(std::cos(angle) * 65536));
            m.xy = FT_Fixed(std::lround(-std::sin(angle) * 65536));
            m.yx = FT_Fixed(std::lround(std::sin(angle) * 65536));
            m.yy = m.xx;
            FT_Set_Transform(face_, &m, nullptr);
        } else {
            FT_Set_Transform(face_, nullptr, nullptr);
        }
        const FT_Int32 flags =
            FT_LOAD_NO_BITMAP | (monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
        if (FT_Load_Glyph(face_, index, flags) != 0) return false;
        FT_GlyphSlot slot = face_->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        FT_Pos extra = 0;
        if (request_.weight >= 600) {
            extra = FT_Pos(request_.height) * 64 / 24;
            FT_Outline_Embolden(&slot->outline, extra);
        }
        if (request_.italic) {
            const FT_Matrix shear{0x10000, 0x3333, 0, 0x10000}; // x += 0.2 y
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (FT_Render_Glyph(slot, monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
            return false;
        const FT_Bitmap& bm = slot->bitmap;
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.width = int(bm.width);
        out.height = int(bm.rows);
        out.advance = int((slot->advance.x + extra + 32) >> 6);
        out.pixels.assign(size_t(out.width) * size_t(out.height), 0);
        for (int y = 0; y < out.height; ++y) {
            const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
            uint8_t* dst = out.pixels.data() + size_t(y) * size_t(out.width);
            for (int x = 0; x < out.width; ++x)
                dst[x] = monochrome ? uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1)
                                    : CoverageToLevel(row[x]);
        }
        return true;
    }

private:
    FT_Face face_;
    std::string file_;
    FontRequest request_;
    int ascent_ = 0;
    uint64_t key_ = 0;
};

} // namespace

std::string ResolveFontFile(const std::string& face, const char* codePage) {
    std::lock_guard lock(FontMutex());
    return Resolve(face, codePage);
}

void SetFontFileOverride(const std::string& path) {
    std::lock_guard lock(FontMutex());
    OverrideFile() = path;
}

std::unique_ptr<Font> MakeFont(const FontRequest& request) {
    if (request.height < 1 || request.height > 1024) return nullptr;
    std::lock_guard lock(FontMutex());
    const std::string file = Resolve(request.face, request.codePage);
    static std::set<std::string> reported;
    auto report = [&](const char* why) {
        if (reported.insert(request.face + '\n' + file).second)
            std::fprintf(stderr, "quillwork: %s for the face \"%s\"%s%s; its text is not drawn\n",
                         why, CodePageToUtf8(request.codePage, request.face).value_or("?").c_str(),
                         file.empty() ? "" : " in ", file.c_str());
    };
    if (file.empty() || Library() == nullptr) {
        report("no font found");
        return nullptr;
    }
    auto& slot = OpenFaces()[{file, request.height}];
    if (slot.face == nullptr) {
        if (FT_New_Face(Library(), file.c_str(), 0, &slot.face) != 0 ||
            !FT_IS_SCALABLE(slot.face) ||
            FT_Set_Pixel_Sizes(slot.face, 0, FT_UInt(request.height)) != 0) {
            if (slot.face) FT_Done_Face(slot.face);
            OpenFaces().erase({file, request.height});
            report("the font cannot be opened");
            return nullptr;
        }
        slot.ordinal = uint32_t(OpenFaces().size());
    }
    return std::make_unique<FreeTypeFont>(slot.face, slot.ordinal, file, request);
}

} // namespace qw::platform
