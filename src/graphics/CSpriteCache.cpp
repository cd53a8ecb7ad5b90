#include "graphics/CSpriteCache.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/ExecLog.h"
#include "common/Text.h"

namespace qw {

CSpriteCache::~CSpriteCache() {
    CSpriteCache::Release();
}

bool CSpriteCache::Initialize(IMemberSource* archive) {
    AddExecLog("CSpriteCache::Initialize");
    archive_ = archive;
    return true;
}

void CSpriteCache::Release() {
    AddExecLog("CSpriteCache::Release");
    for (Entry& e : entries_)
        e = Entry{};
    totalBytes_ = 0;
}

int CSpriteCache::CmpDWORD8(const uint8_t* a, const uint8_t* b) {
    AddExecLog("CSpriteCache::CmpDWORD8");
    for (size_t i = 0; i < kKeySize; i += 4) {
        const uint32_t x = LoadLEUnchecked<uint32_t>(a + i);
        const uint32_t y = LoadLEUnchecked<uint32_t>(b + i);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool CSpriteCache::MakeKey(std::string_view name, uint8_t (&key)[kKeySize]) {
    // Names that do not fit the key with its terminating zero are refused rather than cut, so
    // two long names never share an entry.
    if (name.size() >= kKeySize) return false;
    std::memset(key, 0, kKeySize);
    std::memcpy(key, name.data(), name.size());
    return true;
}

int CSpriteCache::FindKey(const uint8_t* key) const {
    for (int i = 0; i < kEntries; ++i) {
        const Entry& e = entries_[static_cast<size_t>(i)];
        if (e.picture && std::memcmp(e.key, key, kKeySize) == 0) return i;
    }
    return -1;
}

int CSpriteCache::FindFree() const {
    for (int i = 0; i < kEntries; ++i)
        if (!entries_[static_cast<size_t>(i)].picture) return i;
    return -1;
}

void CSpriteCache::MoveToFront(int index) {
    std::rotate(entries_.begin(), entries_.begin() + index, entries_.begin() + index + 1);
}

std::unique_ptr<CDIBSprite> CSpriteCache::Load(std::string_view name) {
    const size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot);
    if (EqualsNoCase(extension.substr(0, 4), ".mpg")) {
        // Movie images come from the video player; without one the picture cannot be made.
        if (!movieFactory_) {
            AddExecLog("CSpriteCache::Read: no movie player for a movie image");
            return nullptr;
        }
        return movieFactory_(name);
    }
    std::unique_ptr<CDIBSprite> sprite(new (std::nothrow) CDIBSprite);
    if (!sprite || !sprite->Read(archive_, name)) return nullptr;
    return sprite;
}

CDIBSprite* CSpriteCache::Read(std::string_view name) {
    AddExecLog("CSpriteCache::Read");
    uint8_t key[kKeySize];
    if (!MakeKey(name, key)) return nullptr;
    int index = FindKey(key);
    if (index < 0) {
        index = FindFree();
        if (index < 0) return nullptr; // full: pictures are discarded only by Free
        std::unique_ptr<CDIBSprite> picture = Load(name);
        if (!picture) return nullptr;
        Entry& e = entries_[static_cast<size_t>(index)];
        e.bytes = static_cast<int64_t>(picture->GetByteSize());
        totalBytes_ += e.bytes;
        std::memcpy(e.key, key, kKeySize);
        e.picture = std::move(picture);
        e.count = 0;
        e.flag = 0;
    }
    ++entries_[static_cast<size_t>(index)].count;
    MoveToFront(index);
    return entries_[0].picture.get();
}

void CSpriteCache::Free(CDIBSprite* picture) {
    AddExecLog("CSpriteCache::Free");
    for (Entry& e : entries_) {
        if (picture && e.picture.get() == picture) {
            // A picture given back more often than it was taken keeps its count at 0.
            if (e.count > 0) --e.count;
            // A registered picture (a button's caption) has no file to be read again from and
            // a name of its own: once its last holder gives it back nobody can want it, and
            // keeping it would fill the 256 entries with dead captions screen after screen.
            if (e.count == 0 && e.flag == 1) {
                totalBytes_ -= e.bytes;
                e = Entry{};
            }
            break;
        }
    }
    if (totalBytes_ <= kTrimThreshold) return;
    for (int i = kEntries - 1; i >= 0; --i) {
        Entry& e = entries_[static_cast<size_t>(i)];
        if (!e.picture || e.count != 0) continue;
        totalBytes_ -= e.bytes;
        e = Entry{};
        if (totalBytes_ < kTrimThreshold) break;
    }
}

bool CSpriteCache::RegisterSprite(std::unique_ptr<CDIBSprite>& sprite) {
    AddExecLog("CSpriteCache::RegisterSprite");
    uint8_t key[kKeySize];
    if (!sprite || !MakeKey(sprite->GetName(), key)) return false;
    if (FindKey(key) >= 0) return false;
    const int index = FindFree();
    if (index < 0) return false;
    Entry& e = entries_[static_cast<size_t>(index)];
    e.bytes = static_cast<int64_t>(sprite->GetByteSize());
    totalBytes_ += e.bytes;
    std::memcpy(e.key, key, kKeySize);
    e.picture = std::move(sprite);
    e.count = 1;
    e.flag = 1;
    MoveToFront(index);
    return true;
}

const CSpriteCache::Entry* CSpriteCache::GetDataID(const CDIBSprite* picture) const {
    AddExecLog("CSpriteCache::GetDataID");
    if (!picture) return nullptr;
    for (const Entry& e : entries_)
        if (e.picture.get() == picture) return &e;
    return nullptr;
}

} // namespace qw
