#pragma once
// The 528-byte description of a transition: effect number at offset 0, then fields that depend
// on the effect (for most of them the time in milliseconds at offset 4). Kept as bytes so the
// layout is exactly what screens, scenarios and saves exchange.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Bytes.h"

namespace qw {

enum EffectType : int32_t {
    kEffectNone = 0,
    kEffectBlt = 1,
    kEffectFade = 2,
    kEffectAlpha = 3,
    kEffectWipe = 4,
    kEffectRotate = 5,
    kEffectLensFlare = 6,
    kEffectTwist = 7,
    kEffectBound = 8,
    kEffectKacchin = 9,
    kEffectGlass = 10,
    kEffectFire = 11,
    kEffectWater = 12,
    kEffectFilm = 13,
    kEffectRotDoor = 14,
    kEffectBlur = 15,
};

struct CallEffectParam {
    static constexpr size_t kSize = 528;
    std::array<uint8_t, kSize> bytes{};

    static CallEffectParam Make(int32_t type, int32_t timeMs) {
        CallEffectParam p;
        p.SetInt(0, type);
        p.SetInt(4, timeMs);
        return p;
    }

    int32_t Type() const { return GetInt(0); }
    int32_t Time() const { return GetInt(4); }
    int32_t GetInt(size_t offset) const { return LoadLE<int32_t>(bytes, offset).value_or(0); }
    void SetInt(size_t offset, int32_t value) { StoreLE(std::span<uint8_t>(bytes), offset, value); }
    // A zero-padded name field of `width` bytes.
    std::string_view GetName(size_t offset, size_t width = 256) const {
        return LoadFixedString(bytes, offset, width).value_or(std::string_view());
    }
    void SetName(size_t offset, std::string_view name, size_t width = 256) {
        if (!FitsIn(kSize, offset, width)) return;
        size_t n = name.size() < width - 1 ? name.size() : width - 1;
        for (size_t i = 0; i < width; ++i)
            bytes[offset + i] = i < n ? static_cast<uint8_t>(name[i]) : 0;
    }
};

} // namespace qw
