#pragma once
// The 256 image slots the scenario fills ahead of showing them: each holds one reference to a
// picture of the sprite cache, or nothing. The slots outlive screens (they belong to the save
// data) and give every reference back while the cache still exists.

#include <array>
#include <string>
#include <string_view>

namespace qw {

class CDIBSprite;
class CSpriteCache;

class ImageSlots {
public:
    static constexpr int kCount = 256;

    ImageSlots() = default;
    ImageSlots(const ImageSlots&) = delete;
    ImageSlots& operator=(const ImageSlots&) = delete;
    ~ImageSlots();

    // The cache the slots read from. Pictures held from a previous cache are given back to it
    // first.
    void SetCache(CSpriteCache* cache);
    CSpriteCache* GetCache() const { return cache_; }

    // Gives the slot's picture back, then reads `name` into it. False, with the slot empty, when
    // the picture cannot be read, there is no cache or the slot is outside 0–255.
    bool Read(int slot, std::string_view name);
    // Puts `picture` (one reference the caller took from the cache, or nullptr) into the slot and
    // only then gives the old one back, so a picture read again for the same slot is never
    // decoded twice. Refused (false, nothing changed) outside 0–255; `picture` is then the
    // caller's to give back.
    bool Exchange(int slot, CDIBSprite* picture);
    void Free(int slot);
    void FreeAll();

    // nullptr for an empty slot or one outside 0–255.
    CDIBSprite* Get(int slot) const;
    // The name the slot's picture is held under in the cache; empty for an empty slot.
    std::string Name(int slot) const;
    int HeldCount() const;

    static bool InRange(int slot) { return slot >= 0 && slot < kCount; }

private:
    CSpriteCache* cache_ = nullptr;
    std::array<CDIBSprite*, kCount> slots_{};
};

} // namespace qw
