#pragma once
// A scenario screen run tick by tick without the application loop: a main window on a fake
// window backend, save data and input, scenario files assembled from the scenario language into
// an in-memory scenario archive, and a clock the test moves.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/Application.h"
#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "common/Text.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario_lang/Assembler.h"
#include "support/FakeWindow.h"
#include "unit/files/FilesTestDir.h"

namespace qw::test {

// Members by name, without regard to case or extension (the scenario archive's ".MSD").
class ScenarioArchive : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        auto it = files.find(Key(name));
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    static std::string Key(std::string_view name) {
        std::string key(name.substr(0, name.find('.')));
        for (char& c : key)
            c = ToUpperAscii(c);
        return key;
    }
    std::map<std::string, Bytes> files;
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

class InterpreterFixture : public qw::testing::FilesTestDir {
protected:
    void SetUp() override {
        FilesTestDir::SetUp();
        SetInstallDir(Dir());
        platform::SetClock(&clock_);
        CSnrBuffer::SetDefaultSource(&archive_);
        auto window = std::make_unique<FakeWindow>();
        window_ = window.get();
        main_ = std::make_unique<CMainWindow>(std::move(window));
        SetMainWindow(main_.get());
        auto save = std::make_unique<CSaveData>(Dir());
        ASSERT_TRUE(save->Initialize());
        main_->AttachSaveData(std::move(save));
        auto input = std::make_unique<CInput>();
        input->Initialize(window_, nullptr);
        main_->AttachInput(std::move(input));
        clock_.Advance(1000); // past the input's activation guard
    }

    void TearDown() override {
        screen_.reset();
        main_->AttachSaveData(nullptr); // nothing to write back at the window's end
        main_.reset();
        SetMainWindow(nullptr);
        CSnrBuffer::SetDefaultSource(nullptr);
        platform::SetClock(nullptr);
        FilesTestDir::TearDown();
    }

    // Assembles `source` (narrow literals, so the game's code page) as member `name`.
    void AddScenario(const std::string& name, std::string_view source) {
        scenario_lang::AssembleOptions options;
        options.gameCodePageInput = true;
        scenario_lang::AssembleResult r = scenario_lang::Assemble(source, name, options);
        for (const std::string& e : r.errors)
            ADD_FAILURE() << e;
        archive_.files[ScenarioArchive::Key(name)] = r.file;
    }

    // Starts a scenario screen on `name`.
    bool Start(const std::string& name, CBaseGame* parent = nullptr) {
        main_->SetCloseWithoutAsking(false);
        main_->TakeCloseRequest();
        screen_ = std::make_unique<CDIBSnrScreen>(parent);
        return screen_->Initialize(SnrStartRecord::ForFile(name));
    }

    // One tick: 30 ms pass, the input is polled, the interpreter runs.
    void Tick() {
        clock_.Advance(30);
        main_->GetInput()->Poll();
        screen_->Move();
        ++ticks_;
    }

    // Ticks until the game is told to end; the number of ticks it took (or `limit` + 1).
    int RunToEnd(int limit = 1000) {
        for (int t = 1; t <= limit; ++t) {
            Tick();
            if (Ended()) return t;
        }
        return limit + 1;
    }

    bool Ended() const { return main_->IsCloseWithoutAsking(); }
    CSaveData& Save() const { return *main_->GetSaveData(); }
    int32_t Var(int i) const { return Save().localVars[static_cast<size_t>(i)]; }
    std::string LastBox() const {
        return window_->boxes.empty() ? std::string() : window_->boxes.back();
    }

    SteppingClock clock_;
    ScenarioArchive archive_;
    FakeWindow* window_ = nullptr;
    std::unique_ptr<CMainWindow> main_;
    std::unique_ptr<CDIBSnrScreen> screen_;
    int ticks_ = 0;
};

} // namespace qw::test
