// The scenario interpreter on arbitrary command streams: whatever the scenario file holds, the
// interpreter reports it and ends the game, or runs it; it never reads or writes outside its own
// data. Input: a label count (first byte, mod 16), that many 32-bit label offsets, then the
// command stream. The screen runs 40 ticks with some keys pressed, on a clock that moves 4 ms per
// reading, so the time budget ends long runs of commands.
//
// The picture commands read from a small archive in memory: every name reads a 4 × 3 picture,
// except empty names and names starting with "X", which cannot be read, so image slots, layers
// and rain actions meet both outcomes.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CSpriteCache.h"
#include "graphics/MgdFormat.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/SnrFormat.h"
#include "support/LightServices.h"

namespace {

class PictureArchive : public qw::IMemberSource {
public:
    PictureArchive() {
        qw::ByteWriter pixels;
        for (uint32_t i = 0; i < 12; ++i)
            pixels.Put<uint32_t>(0x80402010u * (i + 1));
        const std::vector<qw::SpriteElement> elements = {{0, 0, 4, 3}};
        picture_ = qw::BuildMgdFile(4, 3, qw::MgdEncoding::Raw, pixels.Take(), elements, 4);
    }
    std::optional<qw::Bytes> ReadMember(std::string_view name) override {
        if (name.empty() || name[0] == 'X' || name[0] == 'x') return std::nullopt;
        return picture_;
    }

private:
    qw::Bytes picture_;
};

// The screen runs on the light services: no main window. Every member name reads the fuzzed
// file (LS and the start read it alike). The cache outlives the services, whose save data gives
// its image slots back on the way out.
struct World {
    PictureArchive pictures;
    qw::CSpriteCache cache;
    qw::test::LightServices services;

    World() {
        // The time budget, not the headless command cap, ends a tick of commands that never
        // wait: the clock moves 4 ms per reading, so a tick runs a handful of them.
        services.clock.step = 4;
        services.headless = false;
        std::string dir = (std::filesystem::temp_directory_path() / "qw_fuzz_interpreter").string();
        std::filesystem::create_directories(dir);
        services.AttachSaveData(std::make_unique<qw::CSaveData>(dir + "/"));
        cache.Initialize(&pictures);
        services.spriteCache = &cache;
        services.GetSaveData()->imageSlots.SetCache(&cache);
    }
};

qw::Bytes ScenarioFile(const uint8_t* data, size_t size) {
    size_t labels = size ? data[0] % 16 : 0;
    size_t at = size ? 1 : 0;
    qw::ByteWriter out;
    out.PutBytes(qw::snr::kMagic);
    out.PutZeros(4);
    out.Put<uint32_t>(static_cast<uint32_t>(labels));
    out.PutZeros(qw::snr::kHeaderSize - out.Size());
    for (size_t i = 0; i < labels; ++i) {
        uint32_t offset = 0;
        if (at + 4 <= size) std::memcpy(&offset, data + at, 4);
        at = std::min(size, at + 4);
        out.Put<uint32_t>(offset);
    }
    out.PutBytes(qw::ByteSpan(data + at, size - at));
    return out.Take();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    qw::test::LightServices& services = world.services;
    services.scenarios.fallback = ScenarioFile(data, size);
    services.SetCloseWithoutAsking(false);
    services.TakeCloseRequest();
    services.device.boxes.clear();
    services.GetSaveData()->localVars.fill(0);

    // One screen for every input (its pages are costly to make): each input is read afresh
    // into its reader, with the wait state cleared.
    static qw::CDIBSnrScreen* screen = [] {
        auto* made = new qw::CDIBSnrScreen();
        return made->Initialize(qw::SnrStartRecord::ForFile("FUZZ")) ? made : nullptr;
    }();
    if (!screen || !screen->GetSnrBuffer()->Read("FUZZ")) return 0;
    // A command an earlier input left waiting (OVERLAP, CAMMOVE) starts afresh, and its
    // transition or camera move is brought to its end first.
    screen->ResetStep();
    for (int settle = 0; settle < 2; ++settle)
        screen->GetVVram()->Move(true);
    screen->SetWaitState(0, 0);
    // Nothing an earlier input built carries over: its actions would go on moving here (a few
    // hundred fires make every later input slow), and a failure must replay from its input.
    qw::CDIBSnrVVram& vvram = *screen->GetVVram();
    for (int page = 0; page < 2; ++page)
        for (int i = 0; i < qw::CDIBSnrVVram::kLayers; ++i)
            vvram.GetPageLayer(page, i)->SetDefaultProp();
    for (int n = 1; n <= qw::CDIBSnrVVram::kActions; ++n)
        vvram.GetAction(n)->Release();
    vvram.SetScreenAct(0);
    services.GetSaveData()->imageSlots.FreeAll();
    for (int tick = 0; tick < 40 && !services.IsCloseWithoutAsking(); ++tick) {
        services.device.keys[0x0D] = tick % 3 == 1; // Enter
        services.device.keys[0x20] = tick % 5 == 2; // Space
        services.GetInput()->Poll();
        screen->Move();
        // The costly actions end an input early: a fire warms up over a second of flames when
        // it is made and burns an 800 × 150 grid every tick, a rain moves and draws every drop
        // (up to 100 000). An input that keeps making them has shown what it can; hundreds of
        // fires or a million drops would only run out the input's time.
        int fires = 0, drops = 0;
        for (int n = 1; n <= qw::CDIBSnrVVram::kActions; ++n) {
            const qw::CDIBSnrAction& action = *vvram.GetAction(n);
            fires += action.Type() == qw::ActionType::Fire;
            drops += action.GetDropCount();
        }
        if (fires + drops / 5000 > 4) break;
    }
    return 0;
}
