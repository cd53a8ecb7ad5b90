#include "save/ImageSlots.h"

#include <cstring>

#include "graphics/CSpriteCache.h"

namespace qw {

ImageSlots::~ImageSlots() {
    FreeAll();
}

void ImageSlots::SetCache(CSpriteCache* cache) {
    if (cache == cache_) return;
    FreeAll();
    cache_ = cache;
}

bool ImageSlots::Read(int slot, std::string_view name) {
    if (!InRange(slot)) return false;
    Free(slot);
    if (!cache_) return false;
    slots_[static_cast<size_t>(slot)] = cache_->Read(name);
    return slots_[static_cast<size_t>(slot)] != nullptr;
}

bool ImageSlots::Exchange(int slot, CDIBSprite* picture) {
    if (!InRange(slot)) return false;
    CDIBSprite*& held = slots_[static_cast<size_t>(slot)];
    CDIBSprite* old = held;
    held = picture;
    if (old && cache_) cache_->Free(old);
    return true;
}

void ImageSlots::Free(int slot) {
    Exchange(slot, nullptr);
}

void ImageSlots::FreeAll() {
    for (int i = 0; i < kCount; ++i)
        Free(i);
}

CDIBSprite* ImageSlots::Get(int slot) const {
    return InRange(slot) ? slots_[static_cast<size_t>(slot)] : nullptr;
}

std::string ImageSlots::Name(int slot) const {
    CDIBSprite* picture = Get(slot);
    if (!picture || !cache_) return {};
    const CSpriteCache::Entry* entry = cache_->GetDataID(picture);
    if (!entry) return {};
    const char* key = reinterpret_cast<const char*>(entry->key);
    return std::string(key, strnlen(key, CSpriteCache::kKeySize));
}

int ImageSlots::HeldCount() const {
    int n = 0;
    for (CDIBSprite* p : slots_)
        n += p != nullptr;
    return n;
}

} // namespace qw
