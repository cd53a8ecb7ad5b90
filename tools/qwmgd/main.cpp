// qwmgd — the picture tool: PNG pictures to the engine's ".MGD" files and back.
//
//   qwmgd encode [--encoding raw|rle|png] [--elements FILE|x,y,w,h;...] IN.png OUT.MGD
//   qwmgd decode IN.MGD OUT.png
//   qwmgd info IN.MGD
//
// encode takes an 8-bit RGBA, RGB or gray PNG (pictures without alpha become opaque) and writes
// it run-length encoded ("rle", the default: small and the fastest to show), as raw pixels, or
// as a PNG stream. Without --elements the picture has one element covering it. decode writes
// the decoded pixels as an RGBA PNG, exactly as the engine sees them.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ElementList.h"
#include "graphics/CDIBSprite.h"
#include "graphics/MgdFormat.h"
#include "graphics/MgdRunLength.h"
#include "graphics/PngCodec.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

using namespace qw;

constexpr int kMaxSide = 16384; // the largest surface the engine makes

int Usage() {
    std::fputs("usage: qwmgd encode [--encoding raw|rle|png] [--elements FILE|x,y,w,h;...] IN.png "
               "OUT.MGD\n"
               "       qwmgd decode IN.MGD OUT.png\n"
               "       qwmgd info IN.MGD\n",
               stderr);
    return 2;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "qwmgd: %s\n", text.c_str());
    return 1;
}

bool ReadFile(const std::string& path, Bytes& out) {
    auto data = platform::ReadWholeFile(path);
    if (!data) return false;
    out = std::move(*data);
    return true;
}

const char* EncodingName(uint16_t encoding) {
    switch (encoding) {
    case 0:
        return "raw";
    case 1:
        return "rle";
    case 2:
        return "png";
    default:
        return "unknown";
    }
}

// Decodes an MGD file; on failure prints the engine's text and what was wrong.
bool DecodeMgd(const std::string& path, const Bytes& file, CDIBSprite& sprite) {
    if (sprite.Decode(file)) return true;
    const char* why = sprite.GetLastError();
    std::string text = why ? platform::GameToUtf8Lossy(why) : std::string("cannot decode");
    if (!sprite.GetLastReason().empty()) text += " (" + sprite.GetLastReason() + ")";
    Fail(path + ": " + text);
    return false;
}

int Encode(int argc, char** argv) {
    MgdEncoding encoding = MgdEncoding::RunLength;
    std::string elementsArg;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--encoding" || arg == "--elements") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--elements") {
                elementsArg = value;
            } else if (value == "raw") {
                encoding = MgdEncoding::Raw;
            } else if (value == "rle") {
                encoding = MgdEncoding::RunLength;
            } else if (value == "png") {
                encoding = MgdEncoding::Png;
            } else {
                return Fail("unknown encoding \"" + value + "\" (raw, rle or png)");
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return Usage();

    Bytes png;
    if (!ReadFile(paths[0], png)) return Fail("cannot read " + paths[0]);
    const auto header = ReadPngHeader(png);
    if (!header) return Fail(paths[0] + ": not a PNG file");
    if (header->colorType == kPngColorPalette)
        return Fail(paths[0] + ": palette pictures are not read; save it as RGB or RGBA");
    if (header->width < 1 || header->height < 1 || header->width > kMaxSide ||
        header->height > kMaxSide)
        return Fail(paths[0] + ": pictures are 1 to 16384 pixels wide and high");
    const int width = static_cast<int>(header->width), height = static_cast<int>(header->height);
    std::vector<uint32_t> pixels(size_t{header->width} * header->height);
    if (!DecodePng(png, pixels.data(), width, height)) return Fail(paths[0] + ": cannot decode");
    if (!header->HasAlpha())
        for (uint32_t& p : pixels)
            p |= 0xFF000000;

    tools::ElementList elements;
    elements.elements.push_back({0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height)});
    if (!elementsArg.empty()) {
        std::string text = elementsArg;
        Bytes listFile;
        if (platform::GetPathKind(elementsArg) == platform::PathKind::File) {
            if (!ReadFile(elementsArg, listFile)) return Fail("cannot read " + elementsArg);
            text.assign(listFile.begin(), listFile.end());
        }
        std::string error;
        auto parsed = tools::ParseElementList(text, error);
        if (!parsed) return Fail("--elements: " + error);
        elements = *parsed;
    }

    Bytes data;
    switch (encoding) {
    case MgdEncoding::Raw: {
        const auto* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
        data.assign(bytes, bytes + pixels.size() * 4);
        break;
    }
    case MgdEncoding::RunLength:
        data = EncodeRunLengthPlanes(pixels.data(), pixels.size());
        break;
    case MgdEncoding::Png:
        data = EncodePng(pixels.data(), width, height, true, 9);
        if (data.empty()) return Fail("cannot encode the PNG stream");
        break;
    }
    if (data.size() > UINT32_MAX) return Fail("the picture data is too large");
    const Bytes file = BuildMgdFile(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                    encoding, data, elements.elements, elements.words);
    if (!platform::WriteFileAtomic(paths[1], file)) return Fail("cannot write " + paths[1]);
    return 0;
}

int Decode(int argc, char** argv) {
    if (argc != 2) return Usage();
    Bytes file;
    if (!ReadFile(argv[0], file)) return Fail(std::string("cannot read ") + argv[0]);
    CDIBSprite sprite;
    if (!DecodeMgd(argv[0], file, sprite)) return 1;
    const Bytes png = EncodePng(sprite.GetPixels(), sprite.GetWidth(), sprite.GetHeight(), true, 9);
    if (png.empty()) return Fail("cannot encode the PNG file");
    if (!platform::WriteFileAtomic(argv[1], png))
        return Fail(std::string("cannot write ") + argv[1]);
    return 0;
}

int Info(int argc, char** argv) {
    if (argc != 1) return Usage();
    Bytes file;
    if (!ReadFile(argv[0], file)) return Fail(std::string("cannot read ") + argv[0]);
    const auto header = ParseMgdHeader(file);
    if (!header) return Fail(std::string(argv[0]) + ": shorter than an MGD header");
    std::printf("size: %u x %u\n", header->width, header->height);
    std::printf("format: %u\n", header->format);
    std::printf("encoding: %u (%s)\n", header->encoding, EncodingName(header->encoding));
    std::printf("data: %u bytes\n", header->dataSize);
    std::printf("file: %zu bytes\n", file.size());
    CDIBSprite sprite;
    if (!DecodeMgd(argv[0], file, sprite)) return 1;
    std::printf("elements: %d (%d words each)\n", sprite.GetElementCount(),
                sprite.GetElementWords());
    for (int i = 0; i < sprite.GetElementCount(); ++i) {
        const SpriteElement& e = *sprite.GetElement(i);
        if (sprite.GetElementWords() == 6)
            std::printf("  %d: %d,%d,%d,%d,%d,%d\n", i, e.x, e.y, e.w, e.h, e.extra0, e.extra1);
        else
            std::printf("  %d: %d,%d,%d,%d\n", i, e.x, e.y, e.w, e.h);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "encode") return Encode(argc - 2, argv + 2);
    if (command == "decode") return Decode(argc - 2, argv + 2);
    if (command == "info") return Info(argc - 2, argv + 2);
    if (command == "--help" || command == "-h") {
        Usage();
        return 0;
    }
    return Usage();
}
