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

#include "../tests/support/FakeWindow.h"
#include "app/Application.h"
#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/SnrFormat.h"

namespace {

class SteppingClock : public qw::platform::Clock {
public:
    uint32_t NowMs() const override { return ++now_; }
    void SleepMs(uint32_t ms) override { now_ += ms; }

private:
    mutable uint32_t now_ = 1000;
};

// Every member name gives the fuzzed file (LS and the start read it alike).
class OneFile : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view) override { return file; }
    qw::Bytes file;
};

struct World {
    SteppingClock clock;
    OneFile source;
    qw::test::FakeWindow* window = nullptr;
    std::unique_ptr<qw::CMainWindow> main;

    World() {
        std::string dir = (std::filesystem::temp_directory_path() / "qw_fuzz_interpreter").string();
        std::filesystem::create_directories(dir);
        qw::SetInstallDir(dir);
        qw::platform::SetClock(&clock);
        qw::CSnrBuffer::SetDefaultSource(&source);
        auto w = std::make_unique<qw::test::FakeWindow>();
        window = w.get();
        main = std::make_unique<qw::CMainWindow>(std::move(w));
        qw::SetMainWindow(main.get());
        main->AttachSaveData(std::make_unique<qw::CSaveData>(dir + "/"));
        auto input = std::make_unique<qw::CInput>();
        input->Initialize(window, nullptr);
        main->AttachInput(std::move(input));
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
    world.source.file = ScenarioFile(data, size);
    world.main->SetCloseWithoutAsking(false);
    world.main->TakeCloseRequest();
    world.window->boxes.clear();
    world.main->GetSaveData()->localVars.fill(0);

    // One screen for every input (its pages are costly to make): each input is read afresh
    // into its reader, with the wait state cleared.
    static qw::CDIBSnrScreen* screen = [] {
        auto* made = new qw::CDIBSnrScreen();
        return made->Initialize(qw::SnrStartRecord::ForFile("FUZZ")) ? made : nullptr;
    }();
    if (!screen || !screen->GetSnrBuffer()->Read("FUZZ")) return 0;
    screen->SetWaitState(0, 0);
    for (int tick = 0; tick < 40 && !world.main->IsCloseWithoutAsking(); ++tick) {
        world.window->keys[0x0D] = tick % 3 == 1; // Enter
        world.window->keys[0x20] = tick % 5 == 2; // Space
        world.main->GetInput()->Poll();
        screen->Move();
    }
    return 0;
}
