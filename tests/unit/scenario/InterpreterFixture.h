#pragma once
// A scenario screen run tick by tick without the application loop or a main window: the light
// services (support/LightServices.h) with save data in a fresh directory, scenario files
// assembled from the scenario language into their in-memory scenario archive, and their clock,
// which the test moves.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario_lang/Assembler.h"
#include "support/LightServices.h"
#include "unit/files/FilesTestDir.h"

namespace qw::test {

class InterpreterFixture : public qw::testing::FilesTestDir {
protected:
    void SetUp() override {
        FilesTestDir::SetUp();
        auto save = std::make_unique<CSaveData>(Dir());
        ASSERT_TRUE(save->Initialize());
        services_.AttachSaveData(std::move(save));
        clock_.Advance(1000); // past the input's activation guard
    }

    void TearDown() override {
        screen_.reset();
        FilesTestDir::TearDown();
    }

    // Assembles `source` (narrow literals, so the game's code page) as member `name`.
    void AddScenario(const std::string& name, std::string_view source) {
        scenario_lang::AssembleOptions options;
        options.gameCodePageInput = true;
        scenario_lang::AssembleResult r = scenario_lang::Assemble(source, name, options);
        for (const std::string& e : r.errors)
            ADD_FAILURE() << e;
        services_.scenarios.files[ScenarioArchive::Key(name)] = r.file;
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

    LightServices services_;
    // The names the tests know them by: the services stand where the main window stood, the
    // fake device where its window was.
    LightServices* const main_ = &services_;
    FakeWindow* const window_ = &services_.device;
    SteppingClock& clock_ = services_.clock;
    std::unique_ptr<CDIBSnrScreen> screen_;
    int ticks_ = 0;
};

} // namespace qw::test
