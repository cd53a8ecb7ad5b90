// Fuzz target: the virtual VRAM's saved record through Load, then Save, Load of that save and
// Save again, which must give the same bytes; then a few ticks and draws of what was loaded.
// The picture cache holds a still picture "BG01" and a movie stand-in "OP.mpg".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CSpriteCache.h"
#include "graphics/LayerMovie.h"
#include "graphics/VVramHost.h"

namespace {

class Movie : public qw::LayerMovie {
public:
    void Move(int) override { moved_ = true; }
    float GetRate() const override { return rate_; }
    void SetRate(float rate) override { rate_ = rate; }
    bool IsPaused() const override { return pauses_ > 0; }
    void SetPause(bool on) override { pauses_ += on ? 1 : -1; }

private:
    float rate_ = 1.0f;
    int pauses_ = 0;
};

struct Host : qw::VVramHost {
    Host() {
        cache.Initialize(nullptr);
        std::unique_ptr<qw::CDIBSprite> still = std::make_unique<qw::CDIBSprite>();
        still->Create(37, 23);
        for (size_t i = 0; i < still->GetByteSize() / 4; ++i)
            still->GetPixels()[i] = static_cast<uint32_t>(i * 2654435761u);
        still->SetName("BG01");
        cache.RegisterSprite(still);
        std::unique_ptr<qw::CDIBSprite> movie = std::make_unique<Movie>();
        movie->Create(16, 16);
        movie->SetName("OP.mpg");
        cache.RegisterSprite(movie);
    }
    qw::CSpriteCache* GetSpriteCache() const override { return &cache; }
    mutable qw::CSpriteCache cache;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Host host;
    qw::CDIBSnrVVram vvram;
    if (!vvram.Initialize(&host)) std::abort();
    if (!vvram.Load(qw::ByteSpan(data, size))) return 0;
    qw::ByteWriter first;
    if (!vvram.Save(first)) std::abort();
    if (vvram.Load(first.Data()) != first.Size()) std::abort();
    qw::ByteWriter second;
    if (!vvram.Save(second)) std::abort();
    if (first.Data() != second.Data()) std::abort();
    qw::CDIBImage frame;
    frame.Create(qw::CDIBSnrVVram::kPageWidth, qw::CDIBSnrVVram::kPageHeight);
    for (int tick = 0; tick < 3; ++tick) {
        vvram.Move(tick == 2);
        vvram.Draw(frame);
    }
    return 0;
}
