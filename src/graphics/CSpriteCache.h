#pragma once
// The single owner of every decoded picture. Callers ask for a picture by file name and give it
// back with Free; the same name is decoded once while it is held. Up to 256 pictures are kept in
// most-recently-used order (entry 0 is the last one asked for); unreferenced ones are discarded,
// least recently used first, only when Free finds more than 20 MiB of decoded pixels held.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "graphics/CDIBSprite.h"

namespace qw {

class IMemberSource;

class CSpriteCache {
public:
    static constexpr int kEntries = 256;
    static constexpr size_t kKeySize = 32; // names are at most 31 characters
    static constexpr int64_t kTrimThreshold = 0x1400000;

    struct Entry {
        uint8_t key[kKeySize] = {};
        std::unique_ptr<CDIBSprite> picture;
        int32_t count = 0;
        // Bytes of pixels counted in the total for this picture.
        int64_t bytes = 0;
        // 1 for pictures handed in by RegisterSprite, 0 for pictures the cache read.
        uint8_t flag = 0;
    };

    // Makes the image of a movie member (a name whose extension starts with ".mpg"), opened by
    // name and ready to play; nullptr when it cannot. The video player installs it.
    using MovieImageFactory = std::function<std::unique_ptr<CDIBSprite>(std::string_view name)>;

    CSpriteCache() = default;
    CSpriteCache(const CSpriteCache&) = delete;
    CSpriteCache& operator=(const CSpriteCache&) = delete;
    virtual ~CSpriteCache();

    // `archive` is the picture archive; the cache does not own it.
    bool Initialize(IMemberSource* archive);
    virtual void Release();
    void SetMovieImageFactory(MovieImageFactory factory) { movieFactory_ = std::move(factory); }

    // The picture named `name`, decoded on first use; nullptr when it cannot be read, the name
    // is longer than 31 characters, or all 256 entries hold other pictures. Each successful Read
    // is matched by one Free.
    CDIBSprite* Read(std::string_view name);
    // Gives one reference back, then trims the cache when it holds more than 20 MiB.
    void Free(CDIBSprite* picture);
    // Adds a picture made elsewhere under its own name, with one reference held by the caller.
    // On success the cache takes ownership (`sprite` becomes empty); refused when the name is
    // already held, too long, or no entry is free.
    bool RegisterSprite(std::unique_ptr<CDIBSprite>& sprite);
    // The entry that holds `picture`, or nullptr.
    const Entry* GetDataID(const CDIBSprite* picture) const;

    // Compares two 32-byte keys as eight unsigned 32-bit words in order: −1, 0 or 1.
    static int CmpDWORD8(const uint8_t* a, const uint8_t* b);

    int64_t GetTotalBytes() const { return totalBytes_; }
    const Entry& GetEntry(int index) const { return entries_[static_cast<size_t>(index)]; }

private:
    static bool MakeKey(std::string_view name, uint8_t (&key)[kKeySize]);
    int FindKey(const uint8_t* key) const;
    int FindFree() const;
    void MoveToFront(int index);
    std::unique_ptr<CDIBSprite> Load(std::string_view name);

    IMemberSource* archive_ = nullptr;
    std::array<Entry, kEntries> entries_;
    int64_t totalBytes_ = 0;
    MovieImageFactory movieFactory_;
};

} // namespace qw
