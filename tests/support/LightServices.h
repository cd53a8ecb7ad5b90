#pragma once
// A scenario screen's services without a main window: a clock the caller moves, the scenario
// files in memory, the save data, and an input read from a fake device. Error boxes, the shown
// cursor and the close flags land on the device and in flags the caller reads. The unit tests,
// the fuzz targets and the benchmarks run screens against it.
//
// While one lives it is the process's services (Services()), its clock (platform::NowMs) and the
// scenario readers' default source; it hands all three back when it goes.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/CInput.h"
#include "app/GameServices.h"
#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "support/FakeWindow.h"

namespace qw::test {

// Members by name, without regard to case or extension (the scenario archive's ".MSD"). With
// `fallback` set, a name it does not hold reads the fallback.
class ScenarioArchive : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override;
    static std::string Key(std::string_view name);

    std::map<std::string, Bytes> files;
    std::optional<Bytes> fallback;
};

// A clock that moves by `step` every time it is read, standing in for commands that take time.
class SteppingClock : public platform::Clock {
public:
    uint32_t NowMs() const override { return now_ += step; }
    void SleepMs(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }
    uint32_t step = 0;

private:
    mutable uint32_t now_ = 1000;
};

class LightServices : public GameServices {
public:
    LightServices();
    ~LightServices() override;
    LightServices(const LightServices&) = delete;
    LightServices& operator=(const LightServices&) = delete;

    // The save data the screens keep their variables in (none until attached).
    void AttachSaveData(std::unique_ptr<CSaveData> save) { save_ = std::move(save); }
    CSaveData* GetSaveData() const override { return save_.get(); }
    CInput* GetInput() const override { return input_.get(); }
    // Sound buffers a test lends (none by default).
    CSEBuffer* GetSEBuffer() const override { return seBuffer; }
    CVoiceBuffer* GetVoiceBuffer() const override { return voiceBuffer; }
    // The picture cache a test lends (none by default); the save data's image slots are the
    // test's to point at it.
    CSpriteCache* GetSpriteCache() const override { return spriteCache; }
    bool IsHeadless() const override { return headless; }

    // Each text goes to the device as an error box.
    void VErrorMsg(const char* format, va_list args) override;

    void PostCloseRequest() override { closeRequested_ = true; }
    // True once after a close request.
    bool TakeCloseRequest();
    void SetCloseWithoutAsking(bool on) override { closeWithoutAsking_ = on; }
    bool IsCloseWithoutAsking() const { return closeWithoutAsking_; }

    // Only entry 0, the one shown, matters here: a system cursor put there is shown on the
    // device; cursor files are not read (there is no data archive).
    bool SetCursorList(int index, int systemNumber) override;

    SteppingClock clock;
    ScenarioArchive scenarios;
    FakeWindow device;
    // Headless runs cap the commands of a tick; a timed run leaves it to the time budget.
    bool headless = true;
    CSEBuffer* seBuffer = nullptr;
    CVoiceBuffer* voiceBuffer = nullptr;
    CSpriteCache* spriteCache = nullptr;

private:
    std::unique_ptr<CSaveData> save_;
    std::unique_ptr<CInput> input_;
    bool closeRequested_ = false;
    bool closeWithoutAsking_ = false;
};

} // namespace qw::test
