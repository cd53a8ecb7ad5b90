// The scenario screen's checking load on damaged component states: whatever the state holds, the
// check refuses it with a reason or builds the records aside, and the running screen is not
// touched until Load. Input: a 32-bit offset, a 16-bit cut and bytes written over a real state
// (the one a load point of a small scenario leaves) at that offset.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/Bytes.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/SnrFormat.h"
#include "support/LightServices.h"

namespace {

// A scenario of one load point and an endless wait, built by hand: LPT 0 (id 1), ATIMES -1 (7),
// AWAIT with six zeros (8). Every member name reads it.
qw::Bytes Scenario() {
    qw::ByteWriter out;
    out.PutBytes(qw::snr::kMagic);
    out.PutZeros(qw::snr::kHeaderSize - out.Size());
    return out.Take();
}

struct World {
    qw::test::LightServices services;
    std::unique_ptr<qw::CDIBSnrScreen> screen;
    qw::Bytes state;

    World() {
        std::string dir = (std::filesystem::temp_directory_path() / "qw_fuzz_save_state").string();
        std::filesystem::create_directories(dir);
        auto save = std::make_unique<qw::CSaveData>(dir + "/");
        save->Initialize();
        services.AttachSaveData(std::move(save));
        services.scenarios.fallback = Scenario();
        screen = std::make_unique<qw::CDIBSnrScreen>();
        screen->Initialize(qw::SnrStartRecord::ForFile("START"));
        screen->Save(); // the state a load point leaves here
        const qw::CSaveData& held = *services.GetSaveData();
        if (!held.GetSnapshot()) std::abort();
        state.assign(held.componentBuffer.begin(),
                     held.componentBuffer.begin() + held.componentLength);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size < 6) return 0;
    uint32_t offset = 0;
    uint16_t cut = 0;
    std::memcpy(&offset, data, 4);
    std::memcpy(&cut, data + 4, 2);
    qw::Bytes state = world.state;
    offset %= static_cast<uint32_t>(state.size() + 1);
    const size_t n = std::min(size - 6, state.size() - offset);
    std::memcpy(state.data() + offset, data + 6, n);
    state.resize(state.size() - std::min<size_t>(cut % 64 == 0 ? cut / 64 : 0, state.size()));
    qw::CDIBSnrVVram* before = world.screen->GetVVram();
    std::string why;
    const bool ok = world.screen->CheckState(state, why);
    if (!ok && why.empty()) std::abort();
    if (world.screen->GetVVram() != before) std::abort(); // checked aside, nothing put in place
    return 0;
}
