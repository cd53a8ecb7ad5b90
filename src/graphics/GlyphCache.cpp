#include "graphics/GlyphCache.h"

namespace qw {

GlyphCache& GlyphCache::Shared() {
    static GlyphCache cache;
    return cache;
}

const platform::GlyphBitmap* GlyphCache::Get(platform::Font& font, uint32_t code, bool monochrome) {
    const Key key{font.Key(), code, monochrome};
    if (auto it = index_.find(key); it != index_.end()) {
        entries_.splice(entries_.begin(), entries_, it->second);
        return it->second->ok ? &it->second->glyph : nullptr;
    }
    Entry entry{key, false, {}, 0};
    entry.ok = font.Render(code, monochrome, entry.glyph);
    entry.bytes = entry.glyph.pixels.capacity() + sizeof(Entry) + 32;
    entries_.push_front(std::move(entry));
    index_[key] = entries_.begin();
    bytes_ += entries_.front().bytes;
    Trim();
    // The entry just made stays: Trim never drops the most recent one.
    return entries_.front().ok ? &entries_.front().glyph : nullptr;
}

void GlyphCache::Trim() {
    while (bytes_ > budget_ && entries_.size() > 1) {
        bytes_ -= entries_.back().bytes;
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
}

void GlyphCache::Clear() {
    entries_.clear();
    index_.clear();
    bytes_ = 0;
}

void GlyphCache::SetBudget(size_t bytes) {
    budget_ = bytes;
    Trim();
}

} // namespace qw
