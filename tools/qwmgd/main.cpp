// qwmgd — the picture tool: PNG pictures to the engine's ".MGD" files and back.
//
//   qwmgd encode [--encoding raw|rle|png] [--elements FILE|DIR|x,y,w,h;...] IN.png OUT.MGD
//   qwmgd encode [--encoding raw|rle|png] [--elements FILE|DIR|x,y,w,h;...] IN_DIR OUT_DIR
//   qwmgd decode IN.MGD OUT.png
//   qwmgd info IN.MGD
//
// encode takes a PNG of any kind (palette, gray, RGB, with or without alpha or a tRNS colour key,
// 1 to 16 bits, interlaced; pictures without alpha become opaque) and writes it run-length
// encoded ("rle", the default: small and the fastest to show), as raw pixels, or as a PNG
// stream. Given a directory it converts every PNG file in it into OUT_DIR/NAME.MGD. Without
// --elements the picture has one element covering it; a directory given to --elements holds
// NAME.txt for each picture NAME.png that is cut into elements. decode writes the decoded pixels
// as an RGBA PNG, exactly as the engine sees them.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
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
    std::fputs("usage: qwmgd encode [--encoding raw|rle|png] [--elements FILE|DIR|x,y,w,h;...] "
               "IN.png OUT.MGD\n"
               "       qwmgd encode [--encoding raw|rle|png] [--elements FILE|DIR|x,y,w,h;...] "
               "IN_DIR OUT_DIR\n"
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

// What `encode` does to every picture it is given.
struct EncodeOptions {
    MgdEncoding encoding = MgdEncoding::RunLength;
    std::string elements; // "" (one element), a list, a list file, or a directory of lists
};

// The element list for the picture `stem` (its file name without ".png"). Empty `error` and
// nullopt: no list applies, the picture gets one element covering it.
std::optional<tools::ElementList> ElementsFor(const EncodeOptions& options, const std::string& stem,
                                              std::string& error) {
    error.clear();
    if (options.elements.empty()) return std::nullopt;
    std::string text = options.elements, listPath;
    const platform::PathKind kind = platform::GetPathKind(options.elements);
    if (kind == platform::PathKind::Directory) {
        // A directory holds one list per picture, NAME.txt for NAME.png; pictures without one
        // are not cut (a batch of sheets and plain pictures needs no second run).
        listPath = options.elements + "/" + stem + ".txt";
        if (platform::GetPathKind(listPath) != platform::PathKind::File) return std::nullopt;
    } else if (kind == platform::PathKind::File) {
        listPath = options.elements;
    }
    if (!listPath.empty()) {
        Bytes listFile;
        if (!ReadFile(listPath, listFile)) {
            error = "cannot read " + listPath;
            return std::nullopt;
        }
        text.assign(listFile.begin(), listFile.end());
    }
    auto parsed = tools::ParseElementList(text, error);
    if (!parsed) error = (listPath.empty() ? std::string("--elements") : listPath) + ": " + error;
    return parsed;
}

// Converts one PNG file; "" on success, else what went wrong (without the program's name).
std::string EncodeOne(const EncodeOptions& options, const std::string& in, const std::string& out,
                      const std::string& stem) {
    Bytes png;
    if (!ReadFile(in, png)) return "cannot read " + in;
    auto picture = DecodeAnyPng(png, kMaxSide);
    if (!picture) return in + ": " + picture.Reason();
    const int width = picture->width, height = picture->height;
    const std::vector<uint32_t>& pixels = picture->pixels;

    tools::ElementList elements;
    elements.elements.push_back({0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height)});
    std::string error;
    if (auto list = ElementsFor(options, stem, error))
        elements = std::move(*list);
    else if (!error.empty())
        return error;

    Bytes data;
    switch (options.encoding) {
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
        if (data.empty()) return in + ": cannot encode the PNG stream";
        break;
    }
    if (data.size() > UINT32_MAX) return in + ": the picture data is too large";
    const Bytes file = BuildMgdFile(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                    options.encoding, data, elements.elements, elements.words);
    if (!platform::WriteFileAtomic(out, file)) return "cannot write " + out;
    return "";
}

bool IsPngName(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".png";
}

std::string StemOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (IsPngName(name)) name.resize(name.size() - 4);
    return name;
}

// Every "*.png" file (any case) directly in `inDir` becomes OUT_DIR/NAME.MGD, in name order.
// One line sums it up on stdout; each failure is named on stderr, and any failure makes the exit
// status 1 (the other pictures are still converted). A directory without PNG files is an error:
// it is most likely the wrong directory.
int EncodeDirectory(const EncodeOptions& options, const std::string& inDir,
                    const std::string& outDir) {
    std::vector<std::string> names;
    for (const std::string& name : platform::ListDirectory(inDir))
        if (IsPngName(name) &&
            platform::GetPathKind(inDir + "/" + name) == platform::PathKind::File)
            names.push_back(name);
    std::sort(names.begin(), names.end());
    if (names.empty()) return Fail(inDir + ": no PNG files in it");
    if (!platform::CreateDirectories(outDir)) return Fail("cannot make the directory " + outDir);
    std::vector<std::string> failed;
    for (const std::string& name : names) {
        const std::string stem = StemOf(name);
        const std::string why =
            EncodeOne(options, inDir + "/" + name, outDir + "/" + stem + ".MGD", stem);
        if (!why.empty()) {
            Fail(why);
            failed.push_back(name);
        }
    }
    std::printf("qwmgd: %zu of %zu pictures converted into %s", names.size() - failed.size(),
                names.size(), outDir.c_str());
    if (!failed.empty()) {
        std::printf("; failed:");
        for (const std::string& name : failed)
            std::printf(" %s", name.c_str());
    }
    std::printf("\n");
    return failed.empty() ? 0 : 1;
}

int Encode(int argc, char** argv) {
    EncodeOptions options;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--encoding" || arg == "--elements") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--elements") {
                options.elements = value;
            } else if (value == "raw") {
                options.encoding = MgdEncoding::Raw;
            } else if (value == "rle") {
                options.encoding = MgdEncoding::RunLength;
            } else if (value == "png") {
                options.encoding = MgdEncoding::Png;
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
    if (platform::GetPathKind(paths[0]) == platform::PathKind::Directory)
        return EncodeDirectory(options, paths[0], paths[1]);
    const std::string why = EncodeOne(options, paths[0], paths[1], StemOf(paths[0]));
    return why.empty() ? 0 : Fail(why);
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
