#pragma once
// The 528-byte description of a transition: effect number at offset 0, then fields that depend
// on the effect. Kept as bytes so the layout is exactly what screens, scenarios and saves
// exchange; the getters and Make… functions below name every field at its offset.
//
//   Blt, Fade, Fire, Water        4 time
//   Alpha                         4 time, 8 mode, 12 rule image (256), 268 level
//   Wipe                          4 time, 8 mode, 12 shape image (256)
//   Rotate, Twist, Kacchin,       4 time, 8 mode
//   Glass, RotDoor, Blur
//   LensFlare                     4 time, 8 flare image (256), 264 start, 268 end, 272 direction
//   Bound                         4 time, 8 mode, 12 speed, 16 direction x, 20 direction y
//   Film                          4 first image (256), 260 second image (256),
//                                 516 fade-in time, 520 hold time, 524 final time

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
    static constexpr size_t kNameSize = 256;
    // Field offsets.
    static constexpr size_t kType = 0, kTime = 4, kMode = 8, kImage = 12, kAlphaLevel = 268;
    static constexpr size_t kFlareImage = 8, kFlareStart = 264, kFlareEnd = 268,
                            kFlareDirection = 272;
    static constexpr size_t kBoundSpeed = 12, kBoundDirX = 16, kBoundDirY = 20;
    static constexpr size_t kFilmFirst = 4, kFilmSecond = 260, kFilmFadeIn = 516, kFilmHold = 520,
                            kFilmFinal = 524;

    std::array<uint8_t, kSize> bytes{};

    // Effects with a time only (Blt, Fade, Fire, Water), or a time and a mode (Rotate, Twist,
    // Kacchin, Glass, RotDoor, Blur).
    static CallEffectParam Make(int32_t type, int32_t timeMs) {
        CallEffectParam p;
        p.SetInt(kType, type);
        p.SetInt(kTime, timeMs);
        return p;
    }
    static CallEffectParam MakeMode(int32_t type, int32_t timeMs, int32_t mode) {
        CallEffectParam p = Make(type, timeMs);
        p.SetInt(kMode, mode);
        return p;
    }
    static CallEffectParam MakeAlpha(int32_t timeMs, int32_t mode, std::string_view rule,
                                     int32_t level = 255) {
        CallEffectParam p = MakeMode(kEffectAlpha, timeMs, mode);
        p.SetName(kImage, rule);
        p.SetInt(kAlphaLevel, level);
        return p;
    }
    static CallEffectParam MakeWipe(int32_t timeMs, int32_t mode, std::string_view shape) {
        CallEffectParam p = MakeMode(kEffectWipe, timeMs, mode);
        p.SetName(kImage, shape);
        return p;
    }
    static CallEffectParam MakeLensFlare(int32_t timeMs, std::string_view flare, int32_t startMs,
                                         int32_t endMs, int32_t direction) {
        CallEffectParam p = Make(kEffectLensFlare, timeMs);
        p.SetName(kFlareImage, flare);
        p.SetInt(kFlareStart, startMs);
        p.SetInt(kFlareEnd, endMs);
        p.SetInt(kFlareDirection, direction);
        return p;
    }
    static CallEffectParam MakeBound(int32_t timeMs, int32_t mode, int32_t speed, int32_t dirX,
                                     int32_t dirY) {
        CallEffectParam p = MakeMode(kEffectBound, timeMs, mode);
        p.SetInt(kBoundSpeed, speed);
        p.SetInt(kBoundDirX, dirX);
        p.SetInt(kBoundDirY, dirY);
        return p;
    }
    static CallEffectParam MakeFilm(std::string_view first, std::string_view second,
                                    int32_t fadeInMs, int32_t holdMs, int32_t finalMs) {
        CallEffectParam p;
        p.SetInt(kType, kEffectFilm);
        p.SetName(kFilmFirst, first);
        p.SetName(kFilmSecond, second);
        p.SetInt(kFilmFadeIn, fadeInMs);
        p.SetInt(kFilmHold, holdMs);
        p.SetInt(kFilmFinal, finalMs);
        return p;
    }

    int32_t Type() const { return GetInt(kType); }
    // The time field (not Film's: see FilmFadeIn … FilmFinal).
    int32_t Time() const { return GetInt(kTime); }
    int32_t Mode() const { return GetInt(kMode); }
    // Alpha's rule image, Wipe's shape image.
    std::string_view ImageName() const { return GetName(kImage); }
    int32_t AlphaLevel() const { return GetInt(kAlphaLevel); }
    std::string_view FlareImage() const { return GetName(kFlareImage); }
    int32_t FlareStart() const { return GetInt(kFlareStart); }
    int32_t FlareEnd() const { return GetInt(kFlareEnd); }
    int32_t FlareDirection() const { return GetInt(kFlareDirection); }
    int32_t BoundSpeed() const { return GetInt(kBoundSpeed); }
    int32_t BoundDirX() const { return GetInt(kBoundDirX); }
    int32_t BoundDirY() const { return GetInt(kBoundDirY); }
    std::string_view FilmFirstImage() const { return GetName(kFilmFirst); }
    std::string_view FilmSecondImage() const { return GetName(kFilmSecond); }
    int32_t FilmFadeIn() const { return GetInt(kFilmFadeIn); }
    int32_t FilmHold() const { return GetInt(kFilmHold); }
    int32_t FilmFinal() const { return GetInt(kFilmFinal); }

    int32_t GetInt(size_t offset) const { return LoadLE<int32_t>(bytes, offset).value_or(0); }
    void SetInt(size_t offset, int32_t value) { StoreLE(std::span<uint8_t>(bytes), offset, value); }
    // A zero-padded name field of `width` bytes; a name that fills the field without a zero
    // ends at the field's end.
    std::string_view GetName(size_t offset, size_t width = kNameSize) const {
        return LoadFixedString(bytes, offset, width).value_or(std::string_view());
    }
    void SetName(size_t offset, std::string_view name, size_t width = kNameSize) {
        if (!FitsIn(kSize, offset, width)) return;
        size_t n = name.size() < width - 1 ? name.size() : width - 1;
        for (size_t i = 0; i < width; ++i)
            bytes[offset + i] = i < n ? static_cast<uint8_t>(name[i]) : 0;
    }
};

} // namespace qw
