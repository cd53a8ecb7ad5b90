// Layer actions from arbitrary bytes. The first 208 bytes are a definition: it is set up, played,
// moved, drawn on a small page, stopped and saved. The rest goes through Load as a saved record;
// a record that is taken saves back to the same bytes.
//
// Input: one byte of move length and flags (fast, camera, anti, colour, blend), the definition,
// then the record. The picture cache holds a drop picture named "D", so rain definitions can find
// one.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/Bytes.h"
#include "common/Random.h"
#include "files/MemberSource.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"

namespace {

class NoFiles : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view) override { return std::nullopt; }
};

struct World {
    NoFiles files;
    qw::CSpriteCache cache;
    qw::CDIBSprite* drop = nullptr;
    qw::CDIBImage page, picture;
    qw::CDIBCamera camera;
    World() {
        camera.Initialize();
        camera.SetEye(qw::CVector(30, -20, -600, 0));
        cache.Initialize(&files);
        auto sprite = std::make_unique<qw::CDIBSprite>();
        sprite->Create(3, 7);
        for (size_t i = 0; i < sprite->GetByteSize() / 4; ++i)
            sprite->GetPixels()[i] = static_cast<uint32_t>(i * 0x9E3779B9u);
        sprite->SetName("D");
        drop = sprite.get();
        cache.RegisterSprite(sprite);
        page.Create(96, 64);
        picture.Create(40, 24);
        for (size_t i = 0; i < picture.GetByteSize() / 4; ++i)
            picture.GetPixels()[i] = static_cast<uint32_t>(i * 0x01000193u + 0x80000000u);
    }
};

World& TheWorld() {
    static World world;
    return world;
}

void Abort(const char* why) {
    (void)why;
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = TheWorld();
    if (size < 1 + qw::ActionDefinition::kSize) return 0;
    const uint8_t control = data[0];
    const auto def = qw::ActionDefinition::FromBytes(qw::ByteSpan(data + 1, size - 1));
    const qw::ByteSpan record(data + 1 + qw::ActionDefinition::kSize,
                              size - 1 - qw::ActionDefinition::kSize);
    qw::SeedRandom(control);

    {
        qw::CDIBSnrAction action;
        action.Initialize(&w.cache);
        action.Setup(*def);
        action.Play();
        qw::ActionDrawParam p;
        p.dst = &w.page;
        p.picture = &w.picture;
        p.x = static_cast<int8_t>(control) / 4;
        p.y = 5;
        p.z = def->Extra(47);
        p.width = 40 + (control & 15);
        p.height = 24;
        p.colour = (control & 0x40) ? 0x80FFC040u : 0xFFFFFFFFu;
        p.blend = (control & 0x80) != 0;
        p.anti = (control & 0x20) != 0;
        if (control & 0x10) p.camera = &w.camera;
        const int ms = (control & 7) * 97 + 1;
        for (int i = 0; i < 3; ++i) {
            action.Move((control & 8) != 0, ms, 1);
            action.Draw(p);
        }
        action.Stop();
        action.Move(false, ms, 0);
        action.Draw(p);
        qw::ByteWriter out;
        action.Save(out);
    }

    qw::CDIBSnrAction loaded;
    loaded.Initialize(&w.cache);
    const std::optional<size_t> used = loaded.Load(record);
    if (!used) return 0;
    if (*used > record.size()) Abort("read past the record");
    qw::ByteWriter again;
    loaded.Save(again);
    // A rain whose drop picture is missing loads undefined (as would a fire without memory for
    // its surface); every other record comes back whole.
    const int32_t type = qw::LoadLEUnchecked<int32_t>(record.data() + 9);
    const bool rebuilt = type == static_cast<int32_t>(qw::ActionType::Rain) ||
                         type == static_cast<int32_t>(qw::ActionType::Fire);
    const bool lost = rebuilt && !loaded.IsDefined();
    if (!lost &&
        (again.Size() != *used || std::memcmp(again.Data().data(), record.data(), *used) != 0))
        Abort("a loaded record saves back differently");
    loaded.Play();
    loaded.Move(false, 30, 1);
    qw::ActionDrawParam p;
    p.dst = &w.page;
    p.picture = &w.picture;
    p.width = 40;
    p.height = 24;
    loaded.Draw(p);
    return 0;
}
