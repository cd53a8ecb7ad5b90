#include "app/Screenshot.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "graphics/CDIBImage.h"

namespace qw {

namespace {
// libpng reports errors with longjmp: everything with a destructor lives outside this function.
bool WriteRows(std::FILE* file, int width, int height, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool SavePng(const CDIBImage& image, const std::string& path) {
    int w = image.GetWidth(), h = image.GetHeight();
    if (w <= 0 || h <= 0) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = image.Row(y);
        uint8_t* dst = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
        rows[static_cast<size_t>(y)] = dst;
        for (int x = 0; x < w; ++x) {
            dst[x * 3] = static_cast<uint8_t>(src[x] >> 16);
            dst[x * 3 + 1] = static_cast<uint8_t>(src[x] >> 8);
            dst[x * 3 + 2] = static_cast<uint8_t>(src[x]);
        }
    }
    std::string temp = path + ".tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return false;
    bool ok = WriteRows(file, w, h, rows.data());
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace qw
