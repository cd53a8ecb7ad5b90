// qwtext: lays out messages with the engine's text buffer and prints the draw items as JSON;
// optionally renders each page's text image as the message window would draw it.
//
//   qwtext [--game DIR] [--render DIR] [--check] FILE.json
//
// --game takes the text area, spacings and size from a game's "MESWND" definitions (records
// 110–113) and the special glyphs from its "FONT.MGD".
//
// Input: {"style": S, "messages": [{"style": S, "items": [{"code": 0}, {"text": "…"},
// {"bytes": "8140"}, …]}, …]}. Texts are UTF-8 and converted to the tool's code page; "bytes"
// gives code-page bytes in hex. S may set area ([left, top, right, bottom]), line_spacing,
// char_spacing, font_size, font_index, colour and shadow_colour ("0xAARRGGBB"), bold, shadow,
// kinsoku and indent. The top-level style applies once after the window's set-up (the pen then
// goes to the top left of the area it gives); a message's style applies before its items, leaves
// the pen where it is, like the style commands, and stays for later messages.
//
// Exit status: 0, 1 for bad input, 2 with --check when a message was cut.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/Json.h"
#include "files/CFileJoin.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/PngCodec.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Font.h"
#include "platform/IniProfile.h"
#include "scenario/CSnrBuffer.h"
#include "text/CMesTextBuffer.h"
#include "text/MesCell.h"

#ifndef QWTEXT_CODE_PAGE
#define QWTEXT_CODE_PAGE "CP932"
#endif

namespace qw {
namespace {

using e2e::JsonValue;

struct BadInput {
    std::string what;
};

const JsonValue* Field(const JsonValue& object, const char* key) {
    if (!std::holds_alternative<std::shared_ptr<JsonValue::Object>>(object.v)) return nullptr;
    const auto& o = *std::get<std::shared_ptr<JsonValue::Object>>(object.v);
    auto it = o.find(key);
    return it == o.end() ? nullptr : &it->second;
}

int32_t IntOf(const JsonValue& v, const char* what) {
    if (!std::holds_alternative<double>(v.v))
        throw BadInput{std::string(what) + " is not a number"};
    const double d = v.Number();
    if (d < -2147483648.0 || d > 2147483647.0 || d != double(int64_t(d)))
        throw BadInput{std::string(what) + " is not a 32-bit integer"};
    return int32_t(d);
}

bool BoolOf(const JsonValue& v, const char* what) {
    if (!std::holds_alternative<bool>(v.v))
        throw BadInput{std::string(what) + " is not true/false"};
    return std::get<bool>(v.v);
}

uint32_t ColourOf(const JsonValue& v, const char* what) {
    if (!std::holds_alternative<std::string>(v.v))
        throw BadInput{std::string(what) + " is not a string"};
    const std::string& s = v.String();
    if (s.size() != 10 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X'))
        throw BadInput{std::string(what) + " is not \"0xAARRGGBB\""};
    uint32_t c = 0;
    for (size_t i = 2; i < 10; ++i) {
        const char ch = s[i];
        const int d = ch >= '0' && ch <= '9'   ? ch - '0'
                      : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                      : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                               : -1;
        if (d < 0) throw BadInput{std::string(what) + " is not \"0xAARRGGBB\""};
        c = c << 4 | uint32_t(d);
    }
    return c;
}

std::string HexBytes(const std::string& s) {
    std::string out;
    if (s.size() % 2) throw BadInput{"\"bytes\" has an odd number of digits"};
    for (size_t i = 0; i < s.size(); i += 2) {
        int v = 0;
        for (int k = 0; k < 2; ++k) {
            const char ch = s[i + size_t(k)];
            const int d = ch >= '0' && ch <= '9'   ? ch - '0'
                          : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                          : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                   : -1;
            if (d < 0) throw BadInput{"\"bytes\" holds a non-hex digit"};
            v = v * 16 + d;
        }
        out += char(v);
    }
    return out;
}

// Returns true when the area, size or spacing changed (the pen may need placing again).
void ApplyStyle(CMesTextBuffer& b, const JsonValue& s) {
    if (const JsonValue* v = Field(s, "area")) {
        if (!std::holds_alternative<std::shared_ptr<JsonValue::Array>>(v->v) ||
            v->Items().size() != 4)
            throw BadInput{"\"area\" is not [left, top, right, bottom]"};
        b.leftX = IntOf((*v)[0], "area");
        b.topY = IntOf((*v)[1], "area");
        b.rightX = IntOf((*v)[2], "area");
        b.bottomY = IntOf((*v)[3], "area");
    }
    if (const JsonValue* v = Field(s, "line_spacing")) b.lineSpacing = IntOf(*v, "line_spacing");
    if (const JsonValue* v = Field(s, "char_spacing")) b.charSpacing = IntOf(*v, "char_spacing");
    if (const JsonValue* v = Field(s, "font_size")) b.fontSize = IntOf(*v, "font_size");
    if (const JsonValue* v = Field(s, "font_index")) b.fontIndex = IntOf(*v, "font_index");
    if (const JsonValue* v = Field(s, "colour")) b.textColour = ColourOf(*v, "colour");
    if (const JsonValue* v = Field(s, "shadow_colour"))
        b.shadowColour = ColourOf(*v, "shadow_colour");
    if (const JsonValue* v = Field(s, "bold")) b.bold = BoolOf(*v, "bold");
    if (const JsonValue* v = Field(s, "shadow")) b.shadow = BoolOf(*v, "shadow");
    if (const JsonValue* v = Field(s, "kinsoku")) b.kinsoku = BoolOf(*v, "kinsoku");
    if (const JsonValue* v = Field(s, "indent")) b.indent = BoolOf(*v, "indent");
}

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string ColourText(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\"0x%08X\"", c);
    return buf;
}

int Run(int argc, char** argv) {
    std::string gameDir, renderDir, inputPath;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            gameDir = argv[++i];
        else if (a == "--render" && i + 1 < argc)
            renderDir = argv[++i];
        else if (a == "--check")
            check = true;
        else if (a == "--help") {
            std::printf("usage: qwtext [--game DIR] [--render DIR] [--check] FILE.json\n");
            return 0;
        } else if (inputPath.empty() && a.rfind("--", 0) != 0)
            inputPath = a;
        else {
            std::fprintf(stderr, "qwtext: unknown or incomplete option \"%s\"\n", a.c_str());
            return 1;
        }
    }
    if (inputPath.empty()) {
        std::fprintf(stderr, "usage: qwtext [--game DIR] [--render DIR] [--check] FILE.json\n");
        return 1;
    }
    std::ifstream in(inputPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qwtext: cannot read %s\n", inputPath.c_str());
        return 1;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const auto doc = e2e::ParseJson(ss.str());
    if (!doc) {
        std::fprintf(stderr, "qwtext: %s is not JSON\n", inputPath.c_str());
        return 1;
    }
    const TextProfile& profile = *FindTextProfile(QWTEXT_CODE_PAGE);

    // The glyph picture of a game, from its picture archive.
    CDIBSprite glyphs;
    bool haveGlyphs = false;
    if (!gameDir.empty()) {
        CFileJoin pictures;
        const char* base = profile.everyHighByteLeads ? "MGS" : "MGD";
        if (pictures.Initialize(gameDir, base, ".MGD") && glyphs.Read(&pictures, "FONT.MGD"))
            haveGlyphs = true;
        else
            std::fprintf(stderr, "qwtext: no FONT.MGD in %s; special glyphs are not drawn\n",
                         gameDir.c_str());
    }

    // The window's text set-up records (MESWND 110–113) of a game; a missing record keeps its
    // default.
    MesTextSetup setup;
    if (!gameDir.empty()) {
        CFileJoin scenarios;
        CSnrBuffer reader;
        reader.Initialize(&scenarios);
        const std::string title =
            platform::GetProfileString("MainWindow", "Title", "", gameDir + "/Novel.ini");
        if (!title.empty()) reader.SetKeyTitle(title);
        const char* base = profile.everyHighByteLeads ? "MSS" : "MSD";
        if (scenarios.Initialize(gameDir, base, ".MSD") && reader.Read("MESWND")) {
            constexpr int32_t kMesWnd = 3; // the message window's first record id
            reader.SeekBegin(0);
            reader.GetSetupParam(kMesWnd, 110, "NNNN", &setup.left, &setup.top, &setup.right,
                                 &setup.bottom);
            reader.SeekBegin(0);
            reader.GetSetupParam(kMesWnd, 111, "N", &setup.lineSpacing);
            reader.SeekBegin(0);
            reader.GetSetupParam(kMesWnd, 112, "N", &setup.charSpacing);
            reader.SeekBegin(0);
            reader.GetSetupParam(kMesWnd, 113, "N", &setup.fontSize);
        } else {
            std::fprintf(stderr, "qwtext: no MESWND in %s; the window's defaults are used\n",
                         gameDir.c_str());
        }
    }

    CMesTextBuffer buffer(profile);
    buffer.Initialize();
    buffer.Setup(setup);
    std::string out;
    bool anyCut = false;
    try {
        if (const JsonValue* s = Field(*doc, "style")) {
            ApplyStyle(buffer, *s);
            buffer.ChangePage();
        }
        const JsonValue* messages = Field(*doc, "messages");
        if (!messages || !std::holds_alternative<std::shared_ptr<JsonValue::Array>>(messages->v))
            throw BadInput{"no \"messages\" list"};
        out = "{\"code_page\": " + JsonString(profile.name) +
              ", \"font\": " + JsonString(platform::ResolveFontFile(profile.face, profile.name)) +
              ", \"messages\": [";
        int messageNo = 0;
        for (const JsonValue& message : messages->Items()) {
            if (const JsonValue* s = Field(message, "style")) ApplyStyle(buffer, *s);
            std::vector<MesOutItem> items;
            if (const JsonValue* list = Field(message, "items")) {
                if (!std::holds_alternative<std::shared_ptr<JsonValue::Array>>(list->v))
                    throw BadInput{"\"items\" is not a list"};
                for (const JsonValue& item : list->Items()) {
                    if (const JsonValue* c = Field(item, "code"))
                        items.push_back(MesOutItem::Code(IntOf(*c, "code")));
                    else if (const JsonValue* t = Field(item, "text")) {
                        if (!std::holds_alternative<std::string>(t->v))
                            throw BadInput{"\"text\" is not a string"};
                        auto bytes = platform::Utf8ToCodePage(profile.name, t->String());
                        if (!bytes) throw BadInput{"a text is not in " + std::string(profile.name)};
                        items.push_back(MesOutItem::Text(*bytes, profile));
                    } else if (const JsonValue* h = Field(item, "bytes")) {
                        if (!std::holds_alternative<std::string>(h->v))
                            throw BadInput{"\"bytes\" is not a string"};
                        items.push_back(MesOutItem::Text(HexBytes(h->String()), profile));
                    } else
                        throw BadInput{"an item has none of code, text, bytes"};
                }
            }
            std::vector<MesDrawItem> list(kMesDrawItems);
            buffer.Convert(items.data(), int(items.size()), list);
            anyCut = anyCut || buffer.Cut();

            // The page images, when rendering.
            const int w = buffer.rightX - buffer.leftX + 1, h = buffer.bottomY - buffer.topY + 1;
            CDIBImage page;
            const bool render = !renderDir.empty() && w > 0 && h > 0 && w <= 4096 && h <= 4096;
            int pageNo = 0, line = 0, lineY = 0;
            bool pageHasWords = false, pageDrawn = false;
            auto flush = [&]() {
                if (render && pageDrawn) {
                    const Bytes png = EncodePng(page.GetPixels(), w, h, true);
                    char name[64];
                    std::snprintf(name, sizeof name, "/message-%d-page-%d.png", messageNo, pageNo);
                    if (!platform::WriteFileAtomic(renderDir + name, png))
                        throw BadInput{"cannot write " + renderDir + name};
                }
            };
            if (render) page.Create(w, h);
            MesCellTarget target;
            target.text = &page;
            target.glyphs = haveGlyphs ? &glyphs : nullptr;
            target.leftX = buffer.leftX;
            target.topY = buffer.topY;
            target.profile = &profile;

            out += std::string(messageNo ? ", " : "") +
                   "{\"cut\": " + (buffer.Cut() ? "true" : "false") +
                   ", \"ignored\": " + std::to_string(buffer.Ignored()) +
                   ", \"pen\": {\"x\": " + std::to_string(buffer.curX) +
                   ", \"y\": " + std::to_string(buffer.curY) +
                   ", \"next_line_y\": " + std::to_string(buffer.nextLineY) +
                   ", \"bracket_depth\": " + std::to_string(buffer.bracketDepth) +
                   "}, \"items\": [";
            for (size_t i = 0; i < list.size(); ++i) {
                const MesDrawItem& d = list[i];
                if (i) out += ", ";
                if ((d.type == kMesDrawPage || d.type == kMesDrawClear) && i > 0) {
                    flush();
                    ++pageNo;
                    pageHasWords = pageDrawn = false;
                    line = 0;
                    if (render) page.FillFull(0);
                }
                if (d.type != kMesDrawWord) {
                    out += "{\"type\": " + std::to_string(d.type) + "}";
                    if (d.type == kMesDrawEnd) break;
                    continue;
                }
                if (!pageHasWords)
                    lineY = d.y;
                else if (d.y != lineY) {
                    ++line;
                    lineY = d.y;
                }
                pageHasWords = true;
                std::string text = "null", glyph = "null";
                if (d.IsGlyph())
                    glyph = std::to_string(d.character[1]);
                else if (auto u = platform::CodePageToUtf8(profile.name, d.Bytes()))
                    text = JsonString(*u);
                out += "{\"type\": 2, \"bytes\": \"" + Hex(d.Bytes()) + "\", \"text\": " + text +
                       ", \"glyph\": " + glyph + ", \"x\": " + std::to_string(d.x) +
                       ", \"y\": " + std::to_string(d.y) + ", \"page\": " + std::to_string(pageNo) +
                       ", \"line\": " + std::to_string(line) +
                       ", \"size\": " + std::to_string(d.fontSize) +
                       ", \"font\": " + std::to_string(d.fontIndex) +
                       ", \"colour\": " + ColourText(d.textColour) +
                       ", \"shadow_colour\": " + ColourText(d.shadowColour) +
                       ", \"bold\": " + (d.bold ? "true" : "false") +
                       ", \"shadow\": " + (d.shadow ? "true" : "false") + "}";
                if (render) {
                    DrawMesCell(target, d);
                    pageDrawn = true;
                }
            }
            flush();
            out += "]}";
            ++messageNo;
        }
        out += "]}\n";
    } catch (const BadInput& bad) {
        std::fprintf(stderr, "qwtext: %s\n", bad.what.c_str());
        return 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return check && anyCut ? 2 : 0;
}

} // namespace
} // namespace qw

int main(int argc, char** argv) {
    return qw::Run(argc, argv);
}
