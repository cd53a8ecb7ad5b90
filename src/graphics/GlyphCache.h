#pragma once
// Rendered glyphs shared by every surface's text drawing: a least-recently-used cache of at most
// 4 MiB of bitmaps, keyed by font identity, character code and rendering kind. It answers
// exactly what the font renders; characters the font cannot render are remembered as such.

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>

#include "platform/Font.h"

namespace qw {

class GlyphCache {
public:
    static constexpr size_t kDefaultBudget = 4u << 20;

    static GlyphCache& Shared();

    // The glyph, or null when the font cannot render it. Valid until the next Get or Clear.
    const platform::GlyphBitmap* Get(platform::Font& font, uint32_t code, bool monochrome);
    void Clear();
    void SetBudget(size_t bytes);
    size_t Bytes() const { return bytes_; }
    size_t Count() const { return entries_.size(); }

private:
    struct Key {
        uint64_t font;
        uint32_t code;
        bool monochrome;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<uint64_t>()(k.font * 0x9E3779B97F4A7C15ull ^ k.code ^
                                         (uint64_t(k.monochrome) << 63));
        }
    };
    struct Entry {
        Key key;
        bool ok;
        platform::GlyphBitmap glyph;
        size_t bytes;
    };
    void Trim();

    std::list<Entry> entries_; // most recent first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    size_t bytes_ = 0;
    size_t budget_ = kDefaultBudget;
};

} // namespace qw
