#pragma once
// The controls under test: a main window on a fake window backend with a real input object
// (keys, buttons and the pointer set by the test) and a real sprite cache reading small
// pictures from memory, a data archive folder for hit maps, and an owner that moves its
// controls as a screen does.
//
// Pictures:
//   PARTS.MGD   200 × 10, ten cells of 20 × 10 in a row, each in its own colour (CellColour)
//   SLIDER.MGD  a 265 × 12 track in five looks, stacked, and five 9 × 20 knobs below them; with
//               margins 0 and 10 a 0-255 slider moves its knob one pixel per step
//   CAPTION.MGD 6 × 4, white
// Hit map HIT.BMP: region 7 over (300, 200)-(349, 229), 0 elsewhere.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/HitMap.h"
#include "files/CFileJoin.h"
#include "graphics/CSpriteCache.h"
#include "platform/Clock.h"
#include "scenario/CBaseGame.h"
#include "support/FakeWindow.h"
#include "support/TempGame.h"
#include "ui/CDIBBaseCtrl.h"
#include "ui/CDIBButtonCtrl.h"
#include "ui/CDIBCheckCtrl.h"
#include "ui/CDIBImageCtrl.h"
#include "ui/CDIBScrollCtrl.h"
#include "ui/CtrlParam.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw::test {

inline uint32_t CellColour(int cell) {
    return 0xFF000000u | static_cast<uint32_t>(0x18 * (cell + 1)) << 16 | 0x4000u |
           static_cast<uint32_t>(0xF0 - 0x14 * cell);
}

// A raw picture from a pixel function and an element list.
template <typename F>
Bytes RawPicture(int w, int h, std::vector<SpriteElement> elements, F pixel) {
    ByteWriter data;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            data.Put<uint32_t>(pixel(x, y));
    return BuildMgdFile(static_cast<uint16_t>(w), static_cast<uint16_t>(h), MgdEncoding::Raw,
                        data.Take(), elements, 4);
}

// The screen or window that owns the controls: moves them in list order, like a screen.
class CtrlOwner : public CBaseGame {
public:
    void Move() override {
        for (CDIBBaseCtrl* c = GetCtrlTop(); c; c = c->GetNext())
            c->Move();
    }
};

class CtrlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetClock(&clock_);
        auto window = std::make_unique<FakeWindow>();
        window_ = window.get();
        window_->cursor = {-1, -1}; // no pointer until a test moves it
        main_ = std::make_unique<CMainWindow>(std::move(window));
        SetMainWindow(main_.get());
        std::vector<uint8_t> map(800 * 600, 0);
        for (int y = 200; y < 230; ++y)
            for (int x = 300; x < 350; ++x)
                map[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] = 7;
        game_.Write("DATA/HIT.BMP", EncodeHitMap(map));
        main_->GetFileJoin(0)->Initialize(game_.Dir(), "DATA", ".DAT");
        auto input = std::make_unique<CInput>();
        input->Initialize(window_, main_->GetFileJoin(0));
        main_->AttachInput(std::move(input));
        auto cache = std::make_unique<CSpriteCache>();
        cache->Initialize(&pictures_);
        main_->AttachSpriteCache(std::move(cache));
        AddPictures();
        clock_.Advance(500); // past the input's activation guard
    }
    void TearDown() override {
        owner_.Release();
        main_.reset();
        SetMainWindow(nullptr);
        platform::SetClock(nullptr);
    }

    void AddPictures() {
        std::vector<SpriteElement> cells;
        for (int i = 0; i < 10; ++i)
            cells.push_back({static_cast<int16_t>(i * 20), 0, 20, 10});
        pictures_.files["PARTS.MGD"] =
            RawPicture(200, 10, cells, [](int x, int) { return CellColour(x / 20); });
        std::vector<SpriteElement> slider;
        for (int i = 0; i < 5; ++i)
            slider.push_back({0, static_cast<int16_t>(i * 12), 265, 12});
        for (int i = 0; i < 5; ++i)
            slider.push_back({static_cast<int16_t>(i * 9), 60, 9, 20});
        pictures_.files["SLIDER.MGD"] = RawPicture(265, 80, slider, [](int x, int y) {
            return y < 60 ? CellColour(y / 12) : CellColour(5 + x / 9);
        });
        pictures_.files["CAPTION.MGD"] =
            RawPicture(6, 4, {{0, 0, 6, 4}}, [](int, int) { return 0xFFFFFFFFu; });
    }

    // A record for a control of `type` on PARTS.MGD (cells 0-9 in order).
    static CtrlParam Param(int id, int x = 100, int y = 200) {
        CtrlParam p = DefaultCtrlParam();
        SetCtrlName(p.parts, "PARTS.MGD");
        p.id = id;
        p.x = x;
        p.y = y;
        for (int i = 0; i < 5; ++i)
            p.button.cells[static_cast<size_t>(i)] = i;
        for (int i = 0; i < 10; ++i) {
            p.check.cells[static_cast<size_t>(i)] = i;
            p.scroll.cells[static_cast<size_t>(i)] = i;
        }
        p.image.cell = 3;
        return p;
    }
    // A 0-255 horizontal slider with margins 0 and 10 on SLIDER.MGD.
    static CtrlParam SliderParam(int id, int x = 100, int y = 300) {
        CtrlParam p = Param(id, x, y);
        SetCtrlName(p.parts, "SLIDER.MGD");
        p.scroll.minimum = 0;
        p.scroll.maximum = 255;
        p.scroll.startMargin = 0;
        p.scroll.endMargin = 10;
        return p;
    }
    template <typename T>
    T* Make(int type, const CtrlParam& p) {
        CDIBBaseCtrl* c = owner_.MakeControl(type, &p);
        EXPECT_NE(c, nullptr);
        return dynamic_cast<T*>(c);
    }
    CDIBButtonCtrl* MakeButton(int id, int x = 100, int y = 200) {
        return Make<CDIBButtonCtrl>(kCtrlButton, Param(id, x, y));
    }

    CInput& Input() { return *main_->GetInput(); }
    // One tick as a screen runs it: input, the controls' Move, then the owner's focus change.
    void Tick() {
        clock_.Advance(30);
        Input().Poll();
        owner_.Move();
        owner_.UpdateForcus();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            Tick();
    }
    void Press(int key) {
        window_->keys[static_cast<size_t>(key)] = true;
        Tick();
    }
    void Lift(int key) {
        window_->keys[static_cast<size_t>(key)] = false;
        Tick();
    }
    // Key down for one tick, up the next.
    void Stroke(int key) {
        Press(key);
        Lift(key);
    }
    void MoveTo(int x, int y) {
        window_->cursor = {x, y};
        Tick();
    }
    int Sounds(int index) const { return main_->GetSysSECount(index); }

    platform::VirtualClock clock_;
    TempGame game_{"ui"};
    MapSource pictures_;
    FakeWindow* window_ = nullptr;
    std::unique_ptr<CMainWindow> main_;
    CtrlOwner owner_;
};

} // namespace qw::test
