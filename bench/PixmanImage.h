#pragma once
// A picture handed to pixman for the peer measurements: a premultiplied copy of one of ours (pixman
// composites premultiplied ARGB), or a blank surface.
#include <pixman.h>

#include <cstdint>
#include <vector>

#include "graphics/CDIBImage.h"

namespace qw {

struct PixmanImage {
    std::vector<uint32_t> bits;
    pixman_image_t* image = nullptr;

    explicit PixmanImage(const CDIBImage& from)
        : bits(from.GetPixels(), from.GetPixels() + from.GetByteSize() / 4) {
        for (uint32_t& p : bits) {
            const uint32_t a = p >> 24;
            uint32_t out = a << 24;
            for (int sh = 0; sh < 24; sh += 8)
                out |= (((p >> sh) & 0xFF) * a / 255) << sh;
            p = out;
        }
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, from.GetWidth(), from.GetHeight(),
                                         bits.data(), from.GetWidth() * 4);
    }
    PixmanImage(int w, int h) : bits(size_t(w) * h, 0) {
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits.data(), w * 4);
    }
    ~PixmanImage() { pixman_image_unref(image); }
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
};

} // namespace qw
