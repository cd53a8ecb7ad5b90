// The scenario interpreter on arbitrary command streams: whatever the scenario file holds, the
// interpreter reports it and ends the game, or runs it; it never reads or writes outside its own
// data. Input: a label count (first byte, mod 16), that many 32-bit label offsets, then the
// command stream. The screen runs 40 ticks with some keys pressed, on a clock that moves a
// millisecond per reading, so the time budget ends long runs of commands.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Bytes.h"
#include "graphics/CDIBSnrVVram.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/SnrFormat.h"
#include "support/LightServices.h"

namespace {

// The screen runs on the light services: no main window. Every member name reads the fuzzed
// file (LS and the start read it alike).
struct World {
    qw::test::LightServices services;

    World() {
        services.clock.step = 1;
        std::string dir = (std::filesystem::temp_directory_path() / "qw_fuzz_interpreter").string();
        std::filesystem::create_directories(dir);
        services.AttachSaveData(std::make_unique<qw::CSaveData>(dir + "/"));
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
    for (int tick = 0; tick < 40 && !services.IsCloseWithoutAsking(); ++tick) {
        services.device.keys[0x0D] = tick % 3 == 1; // Enter
        services.device.keys[0x20] = tick % 5 == 2; // Space
        services.GetInput()->Poll();
        screen->Move();
    }
    return 0;
}
