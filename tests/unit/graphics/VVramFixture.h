#pragma once
// Shared pieces of the layer and page tests: a host with a frame that records what was marked, a
// picture cache holding pictures made in memory, a movie stand-in and a logging module.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CSpriteCache.h"
#include "graphics/FrameDirtyArea.h"
#include "graphics/LayerMovie.h"
#include "graphics/VVramHost.h"
#include "unit/graphics/ActionFixture.h"

namespace qw::test {

class RecordingFrame : public FrameDirtyArea {
public:
    void AddDirtyRect(int left, int top, int right, int bottom) override {
        rects.push_back({left, top, right + 1, bottom + 1});
    }
    void InvalidateAll() override { ++invalidations; }
    const std::vector<RegionRect>* GetRectList() const override {
        return useList ? &list : nullptr;
    }

    int invalidations = 0;
    std::vector<RegionRect> rects;
    bool useList = false;
    std::vector<RegionRect> list;
};

// A movie that counts its moves and shows the count in its pixels.
class FakeMovie : public LayerMovie {
public:
    void Move(int frameMs) override {
        ++moves;
        played += frameMs;
        moved_ = true;
        FillFull(0xFF000000u | static_cast<uint32_t>(moves));
    }
    float GetRate() const override { return rate; }
    void SetRate(float r) override { rate = r; }
    bool IsPaused() const override { return pauses > 0; }
    void SetPause(bool on) override { pauses += on ? 1 : -1; }

    int moves = 0;
    int played = 0;
    float rate = 1.0f;
    int pauses = 0;
};

// Everything the module hears, one line per call.
class LoggingHook : public LayerDebugHook {
public:
    void OnLayOverlap() override { log.push_back("overlap"); }
    void OnUpdateLayImage(int page, int layer, const char* name, int width, int height,
                          const void* pixels) override {
        Add("image", page, layer,
            std::string(name) + " " + std::to_string(width) + " " + std::to_string(height) +
                (pixels ? " pixels" : " none"));
    }
    void OnUpdateLayDrawPos(int page, int layer, int x, int y, int z) override {
        Add("pos", page, layer, Ints({x, y, z}));
    }
    void OnUpdateLayDrawSize(int page, int layer, int width, int height) override {
        Add("size", page, layer, Ints({width, height}));
    }
    void OnUpdateLayColor(int page, int layer, uint32_t colour) override {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", colour);
        Add("color", page, layer, text);
    }
    void OnUpdateLayBlend(int page, int layer, int v) override {
        Add("blend", page, layer, Ints({v}));
    }
    void OnUpdateLayAnti(int page, int layer, int v) override {
        Add("anti", page, layer, Ints({v}));
    }
    void OnUpdateLayActListNo(int page, int layer, int v) override {
        Add("action", page, layer, Ints({v}));
    }
    void OnUpdateLayCamera(int page, int layer, int v) override {
        Add("camera", page, layer, Ints({v}));
    }
    void OnUpdateLayCamBill(int page, int layer, int v) override {
        Add("bill", page, layer, Ints({v}));
    }
    void OnUpdateLayCamXYRate(int page, int layer, float v) override {
        Add("xyrate", page, layer, std::to_string(v));
    }
    void OnUpdateLayCamWRate(int page, int layer, float v) override {
        Add("wrate", page, layer, std::to_string(v));
    }

    std::vector<std::string> log;

private:
    static std::string Ints(std::initializer_list<int> v) {
        std::string s;
        for (int i : v)
            s += (s.empty() ? "" : " ") + std::to_string(i);
        return s;
    }
    void Add(const char* what, int page, int layer, const std::string& values) {
        log.push_back(std::string(what) + " " + std::to_string(page) + " " + std::to_string(layer) +
                      " " + values);
    }
};

class TestHost : public VVramHost {
public:
    TestHost() { cache.Initialize(&source); }
    FrameDirtyArea* GetFrame() const override { return frame; }
    CSpriteCache* GetSpriteCache() const override { return &cache; }
    int GetFrameTime() const override { return frameMs; }
    int GetFrameSpeed() const override { return frameSpeed; }
    bool IsSkipKeyHeld() const override { return skipKey; }
    bool IsNoEffects() const override { return noEffects; }
    LayerDebugHook* GetLayerDebugHook() const override { return hook; }

    // A picture held by the cache under `name` (the host keeps one reference).
    CDIBSprite* AddPicture(const std::string& name, int w, int h, uint32_t seed,
                           bool opaque = false) {
        auto sprite = std::make_unique<CDIBSprite>();
        sprite->Create(w, h);
        FillPattern(*sprite, seed, opaque);
        sprite->SetName(name);
        CDIBSprite* raw = sprite.get();
        cache.RegisterSprite(sprite);
        return raw;
    }
    FakeMovie* AddMovie(const std::string& name, int w, int h) {
        std::unique_ptr<CDIBSprite> sprite = std::make_unique<FakeMovie>();
        sprite->Create(w, h);
        sprite->SetName(name);
        auto* raw = static_cast<FakeMovie*>(sprite.get());
        cache.RegisterSprite(sprite);
        return raw;
    }

    MapSource source;
    mutable CSpriteCache cache;
    FrameDirtyArea* frame = nullptr;
    int frameMs = 30;
    int frameSpeed = 1;
    bool skipKey = false;
    bool noEffects = false;
    LayerDebugHook* hook = nullptr;
};

// A 800 × 600 image.
inline std::unique_ptr<CDIBImage> MakeFrame(uint32_t fill = 0) {
    auto frame = std::make_unique<CDIBImage>();
    frame->Create(CDIBSnrVVram::kPageWidth, CDIBSnrVVram::kPageHeight);
    frame->FillFull(fill);
    return frame;
}

} // namespace qw::test
