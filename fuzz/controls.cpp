// Saved control records from arbitrary bytes: Load of each kind either refuses the record or
// takes it, and a few ticks of input, drawing and dirty areas then run on whatever it took,
// beside an ordinary button of the same owner. Nothing reads or writes outside its data.
//
// Input: one byte choosing the kind (button, check box, slider, picture), eight ticks of input
// (two bytes each: keys and button, pointer position), then the record.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "app/HitMap.h"
#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "graphics/MgdFormat.h"
#include "platform/Clock.h"
#include "scenario/CBaseGame.h"
#include "support/FakeWindow.h"
#include "ui/CDIBBaseCtrl.h"
#include "ui/CDIBButtonCtrl.h"
#include "ui/CtrlParam.h"

namespace {

class Files : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view name) override {
        for (auto& [n, bytes] : files)
            if (n == name) return bytes;
        return std::nullopt;
    }
    std::vector<std::pair<std::string, qw::Bytes>> files;
};

qw::Bytes Picture(uint16_t w, uint16_t h, std::vector<qw::SpriteElement> elements) {
    qw::Bytes pixels(size_t{w} * h * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    return qw::BuildMgdFile(w, h, qw::MgdEncoding::Raw, pixels, elements, 4);
}

class Owner : public qw::CBaseGame {
public:
    void Move() override {
        for (qw::CDIBBaseCtrl* c = GetCtrlTop(); c; c = c->GetNext())
            c->Move();
    }
};

struct World {
    qw::platform::VirtualClock clock;
    Files pictures, data;
    qw::test::FakeWindow* window = nullptr;
    std::unique_ptr<qw::CMainWindow> main;
    qw::CDIBImage image;

    World() {
        qw::platform::SetClock(&clock);
        std::vector<qw::SpriteElement> cells;
        for (int i = 0; i < 10; ++i)
            cells.push_back({static_cast<int16_t>(i * 20), 0, 20, 10});
        pictures.files.emplace_back("PARTS.MGD", Picture(200, 10, cells));
        // Elements that lie partly or wholly outside their picture, or have no size.
        pictures.files.emplace_back("ODD.MGD", Picture(4, 4,
                                                       {{-8, -8, 20, 20},
                                                        {3, 3, 30000, 2},
                                                        {0, 0, 0, 0},
                                                        {2, 2, -5, 7},
                                                        {32000, 32000, 10, 10}}));
        std::vector<uint8_t> map(800 * 600);
        for (size_t i = 0; i < map.size(); ++i)
            map[i] = static_cast<uint8_t>((i % 800) / 40 + (i / 800) / 60 * 20);
        data.files.emplace_back("HIT.BMP", qw::EncodeHitMap(map));
        auto w = std::make_unique<qw::test::FakeWindow>();
        window = w.get();
        main = std::make_unique<qw::CMainWindow>(std::move(w));
        qw::SetMainWindow(main.get());
        auto input = std::make_unique<qw::CInput>();
        input->Initialize(window, &data);
        main->AttachInput(std::move(input));
        auto cache = std::make_unique<qw::CSpriteCache>();
        cache->Initialize(&pictures);
        main->AttachSpriteCache(std::move(cache));
        image.Create(800, 600);
        image.CreateRGN();
        clock.Advance(1000);
    }
};

World& GetWorld() {
    static World world;
    return world;
}

constexpr int kTypes[] = {qw::kCtrlButton, qw::kCtrlCheck, qw::kCtrlScroll, qw::kCtrlImage};
constexpr int kKeys[] = {qw::vk::kLButton, qw::vk::kReturn, qw::vk::kUp,  qw::vk::kDown,
                         qw::vk::kLeft,    qw::vk::kRight,  qw::vk::kTab, qw::vk::kSpace};
constexpr int kTicks = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 + 2 * kTicks) return 0;
    World& world = GetWorld();
    Owner owner;
    const int type = kTypes[data[0] % 4];
    qw::CtrlParam p = qw::DefaultCtrlParam();
    qw::SetCtrlName(p.parts, "PARTS.MGD");
    p.id = 1;
    p.x = 120;
    p.y = 200;
    p.jumpTable[0] = {0, 0, 0, 0, 0};
    for (int i = 0; i < 10; ++i)
        p.check.cells[static_cast<size_t>(i)] = p.scroll.cells[static_cast<size_t>(i)] = i;
    p.scroll.maximum = 100;
    owner.MakeControl(qw::kCtrlButton, &p);
    qw::CDIBBaseCtrl* loaded = owner.MakeControl(type, nullptr);
    const qw::ByteSpan record(data + 1 + 2 * kTicks, size - 1 - 2 * kTicks);
    if (loaded) loaded->Load(record);
    auto* button = dynamic_cast<qw::CDIBButtonCtrl*>(loaded);
    if (button && (data[0] & 4) && button->InitCaption() && button->GetParts()) {
        qw::VertexQuad quad;
        button->GetParts()->SetVertex(quad, data[0] >> 4, data[0] % 7, data[0] % 5, 0xFFFFFFFF);
        button->SetCaption(data[0] % 6, *button->GetParts(), quad);
    }

    for (int t = 0; t < kTicks; ++t) {
        const uint8_t keys = data[1 + 2 * t], where = data[2 + 2 * t];
        for (int k = 0; k < 8; ++k)
            world.window->keys[static_cast<size_t>(kKeys[k])] = (keys >> k) & 1;
        // A pointer over the ordinary button, on the loaded control, off screen, or anywhere.
        const int x = where < 64 ? 120 + where % 20 : where < 128 ? where * 5 : where * 4 - 300;
        const int y = where < 64 ? 200 + where % 10 : where < 128 ? 205 : where * 3 - 200;
        world.window->cursor = {x, y};
        world.clock.Advance(30);
        world.main->GetInput()->Poll();
        owner.Move();
        owner.UpdateForcus();
        world.image.ClearRGN();
        for (qw::CDIBBaseCtrl* c = owner.GetCtrlTop(); c; c = c->GetNext())
            c->UpdateRGN(&world.image);
        for (qw::CDIBBaseCtrl* c = owner.GetCtrlTop(); c; c = c->GetNext()) {
            c->UpdateRGN(nullptr);
            c->Draw(world.image, t % 2 == 0);
        }
        if (loaded && t == kTicks / 2) {
            qw::ByteWriter saved;
            loaded->Save(saved);
            loaded->Load(saved.Data());
        }
    }
    owner.Release();
    return 0;
}
