#include "graphics/PngCodec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "common/ExecLog.h"

namespace qw {
namespace {

// libpng reports errors by longjmp. The functions that call setjmp below are plain C: nothing
// with a destructor lives in their frames, and the callbacks never let a C++ exception cross
// libpng's frames.

void OnPngError(png_structp png, png_const_charp) {
    AddExecLog("CDIBSprite::PNGReadError");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {
    AddExecLog("CDIBSprite::PNGReadError");
}

void OnPngWriteError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnPngWriteWarning(png_structp, png_const_charp) {}

// Text and profile chunks are inflated into one buffer; none of a game's needs more than this, and
// a few kilobytes of deflate could otherwise claim gigabytes (libpng then drops the chunk).
constexpr size_t kAncillaryChunkLimit = 16u << 20;

void LimitChunkBuffers(png_structp png) {
    png_set_chunk_malloc_max(png, kAncillaryChunkLimit);
}

// Walks the chunk headers up to IEND before libpng sees the stream: libpng allocates whatever
// length a chunk header claims (up to 2 GiB) before finding the data missing. The reason when a
// chunk runs past the end of `png`; a header cut short is left to libpng to report.
std::optional<std::string> ChunkOverrun(ByteSpan png) {
    if (png.size() < 8) return std::nullopt;
    size_t at = 8; // after the signature
    while (png.size() - at >= 8) {
        const uint8_t* p = png.data() + at;
        const uint32_t length =
            uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
        const size_t left = png.size() - at;
        if (length > left - 8 || left - 8 - length < 4) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "the %.4s chunk claims %u bytes where %zu remain",
                          p + 4, length, left - 8);
            return std::string(reason);
        }
        if (std::memcmp(p + 4, "IEND", 4) == 0) break;
        at += size_t{12} + length; // at least 12: the walk always advances
    }
    return std::nullopt;
}

struct ReadJob {
    const uint8_t* data;
    size_t size;
    size_t cursor;
    uint32_t* pixels;
    uint32_t width;
    uint32_t height;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* job = static_cast<ReadJob*>(png_get_io_ptr(png));
    if (length > job->size - job->cursor) png_error(png, "PNG data ends early");
    std::memcpy(out, job->data + job->cursor, length);
    job->cursor += length;
}

bool RunRead(ReadJob* job) {
    if (job->size < 8 || png_sig_cmp(job->data, 0, 8) != 0) return false;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, ReadFromMemory);
    LimitChunkBuffers(png);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_error(png, "palette pictures are not read");
    if (width != job->width || height != job->height) png_error(png, "size differs");
    if (depth == 16) png_set_strip_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) {
        if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    // Pictures without alpha are stored with alpha 0: the filler byte after B, G, R.
    if (!(colorType & PNG_COLOR_MASK_ALPHA)) png_set_filler(png, 0, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) png_error(png, "unexpected row size");
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, reinterpret_cast<png_bytep>(job->pixels + size_t{y} * width),
                         nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The picture tool's reader of any PNG (DecodeAnyPng). Plain C like RunRead; libpng's error
// text is kept for the refusal.
struct AnyReadJob {
    const uint8_t* data;
    size_t size;
    size_t cursor;
    png_bytep* rows; // height rows of width × 4 bytes, or width bytes of palette indices
    uint32_t width;
    uint32_t height;
    int isPalette;         // rows hold indices, mapped through `palette` afterwards
    int paletteSize;       // entries in PLTE
    uint32_t palette[256]; // B, G, R, A words; alpha from tRNS, 255 past its list
    char error[160];
};

void OnAnyPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<AnyReadJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, sizeof job->error, "%s", message ? message : "libpng error");
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, an unknown profile) do not stop the read.
void OnAnyPngWarning(png_structp, png_const_charp) {}

void ReadAnyFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* job = static_cast<AnyReadJob*>(png_get_io_ptr(png));
    if (length > job->size - job->cursor) png_error(png, "the PNG stream ends early");
    std::memcpy(out, job->data + job->cursor, length);
    job->cursor += length;
}

bool RunReadAny(AnyReadJob* job) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, job, OnAnyPngError, OnAnyPngWarning);
    if (!png) {
        std::snprintf(job->error, sizeof job->error, "libpng cannot start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(job->error, sizeof job->error, "libpng cannot start");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, job, ReadAnyFromMemory);
    LimitChunkBuffers(png);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (width != job->width || height != job->height) png_error(png, "size differs");
    if ((colorType == PNG_COLOR_TYPE_PALETTE) != (job->isPalette != 0))
        png_error(png, "colour type differs");
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        // Indices are read as they are (one byte each) and checked against the palette after.
        png_colorp entries = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &entries, &count)) png_error(png, "no PLTE chunk");
        png_bytep alphas = nullptr;
        int alphaCount = 0;
        if (!png_get_tRNS(png, info, &alphas, &alphaCount, nullptr)) alphaCount = 0;
        job->paletteSize = count;
        for (int i = 0; i < count && i < 256; ++i) {
            const uint32_t a = i < alphaCount ? alphas[i] : 255u;
            job->palette[i] = entries[i].blue | uint32_t{entries[i].green} << 8 |
                              uint32_t{entries[i].red} << 16 | a << 24;
        }
        if (depth < 8) png_set_packing(png);
    } else {
        const bool key = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
        if (key) png_set_tRNS_to_alpha(png);
        if (!(colorType & PNG_COLOR_MASK_COLOR)) {
            if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
            png_set_gray_to_rgb(png);
        }
        if (depth == 16) png_set_strip_16(png);
        png_set_bgr(png);
        if (!(colorType & PNG_COLOR_MASK_ALPHA) && !key)
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = job->isPalette ? size_t{width} : size_t{width} * 4;
    if (png_get_rowbytes(png, info) != rowBytes) png_error(png, "unexpected row size");
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct WriteJob {
    Bytes* out;
    const uint32_t* pixels;
    uint32_t width;
    uint32_t height;
    int withAlpha;
    int level;
};

void WriteToMemory(png_structp png, png_bytep data, size_t length) {
    auto* job = static_cast<WriteJob*>(png_get_io_ptr(png));
    bool ok = true;
    try {
        job->out->insert(job->out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

bool RunWrite(WriteJob* job) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngWriteError, OnPngWriteWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, job, WriteToMemory, FlushNothing);
    png_set_compression_level(png, job->level);
    png_set_IHDR(png, info, job->width, job->height, 8,
                 job->withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    if (!job->withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (uint32_t y = 0; y < job->height; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(job->pixels + size_t{y} * job->width));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

uint32_t LoadBE32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

} // namespace

std::optional<PngHeader> ReadPngHeader(ByteSpan png) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 + 8 + 13 || std::memcmp(png.data(), kSignature, 8) != 0) return std::nullopt;
    if (std::memcmp(png.data() + 12, "IHDR", 4) != 0) return std::nullopt;
    PngHeader h;
    h.width = LoadBE32(png.data() + 16);
    h.height = LoadBE32(png.data() + 20);
    h.bitDepth = png[24];
    h.colorType = png[25];
    return h;
}

std::optional<size_t> DecodePng(ByteSpan png, uint32_t* pixels, int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    if (ChunkOverrun(png)) {
        AddExecLog("CDIBSprite::PNGReadError");
        return std::nullopt;
    }
    ReadJob job{png.data(),
                png.size(),
                0,
                pixels,
                static_cast<uint32_t>(width),
                static_cast<uint32_t>(height)};
    if (!RunRead(&job)) return std::nullopt;
    return job.cursor;
}

bool PngCanFill(ByteSpan png, int width, int height) {
    auto h = ReadPngHeader(png);
    if (!h || width <= 0 || height <= 0 || h->width != static_cast<uint32_t>(width) ||
        h->height != static_cast<uint32_t>(height) || h->colorType == kPngColorPalette)
        return false;
    // Channels per colour type: gray, -, RGB, -, gray + alpha, -, RGBA.
    static const int kChannels[7] = {1, 0, 3, 0, 2, 0, 4};
    if (h->colorType < 0 || h->colorType > 6 || kChannels[h->colorType] == 0) return false;
    const uint64_t bits = uint64_t{h->width} * uint64_t{h->height} * uint64_t(h->bitDepth) *
                          uint64_t(kChannels[h->colorType]);
    // The filtered rows hold at least every pixel's bits; deflate packs at most 1032 bytes
    // into one.
    return uint64_t{png.size()} * 1032 >= bits / 8;
}

Result<PngPicture> DecodeAnyPng(ByteSpan png, int maxSide) {
    const auto h = ReadPngHeader(png);
    if (!h) return Refuse("not a PNG file");
    if (h->width < 1 || h->height < 1 || h->width > uint32_t(maxSide) ||
        h->height > uint32_t(maxSide))
        return Refuse("%u x %u: pictures are 1 to %d pixels wide and high", h->width, h->height,
                      maxSide);
    // Samples per pixel by colour type: gray, -, RGB, palette, gray + alpha, -, RGBA.
    static const int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
    if (h->colorType > 6 || kSamples[h->colorType] == 0)
        return Refuse("colour type %d is not a PNG colour type", h->colorType);
    // Before the pixels are allocated: the filtered rows hold at least every pixel's bits, and
    // deflate packs at most 1032 bytes into one.
    const uint64_t bits =
        uint64_t{h->width} * h->height * uint64_t(h->bitDepth) * uint64_t(kSamples[h->colorType]);
    if (uint64_t{png.size()} * 1032 < bits / 8)
        return Refuse("%zu bytes cannot hold the pixels of a %u x %u picture", png.size(), h->width,
                      h->height);

    if (auto overrun = ChunkOverrun(png)) return Refuse("%s", overrun->c_str());

    const bool isPalette = h->colorType == kPngColorPalette;
    PngPicture picture;
    picture.width = int(h->width);
    picture.height = int(h->height);
    picture.pixels.resize(size_t{h->width} * h->height);
    std::vector<uint8_t> indices(isPalette ? picture.pixels.size() : 0);
    std::vector<png_bytep> rows(h->height);
    for (uint32_t y = 0; y < h->height; ++y)
        rows[y] = isPalette
                      ? indices.data() + size_t{y} * h->width
                      : reinterpret_cast<png_bytep>(picture.pixels.data() + size_t{y} * h->width);
    auto job = std::make_unique<AnyReadJob>();
    *job = AnyReadJob{png.data(), png.size(),        0, rows.data(), h->width,
                      h->height,  isPalette ? 1 : 0, 0, {},          {}};
    if (!RunReadAny(job.get())) return Refuse("%s", job->error);
    if (isPalette) {
        for (size_t i = 0; i < indices.size(); ++i) {
            if (indices[i] >= job->paletteSize)
                return Refuse("pixel (%zu, %zu) uses palette entry %d; the palette has %d",
                              i % h->width, i / h->width, indices[i], job->paletteSize);
            picture.pixels[i] = job->palette[indices[i]];
        }
    }
    return picture;
}

Bytes EncodePng(const uint32_t* pixels, int width, int height, bool withAlpha, int level) {
    Bytes out;
    if (width <= 0 || height <= 0) return out;
    WriteJob job{&out,
                 pixels,
                 static_cast<uint32_t>(width),
                 static_cast<uint32_t>(height),
                 withAlpha ? 1 : 0,
                 level < 0   ? 0
                 : level > 9 ? 9
                             : level};
    if (!RunWrite(&job)) out.clear();
    return out;
}

} // namespace qw
