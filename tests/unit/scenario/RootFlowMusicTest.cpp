#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "app/CMainWindow.h"
#include "audio/CBGMBuffer.h"
#include "audio/CDSound.h"
#include "files/MemberSource.h"
#include "graphics/CDIBImage.h"
#include "scenario/CDIBBaseScreen.h"
#include "scenario/CRootFlow.h"
#include "scenario/CSnrBuffer.h"
#include "support/FakeWindow.h"
#include "support/OggFixtures.h"

// The screen flow's music change driven through the real music buffer on the sound device (the
// flow's own rules are pinned with a recording fake in RootFlowTest).
namespace qw {
namespace {

class Files : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view name) override {
        for (const auto& [key, bytes] : files)
            if (CmpFName(key, name)) return bytes;
        return std::nullopt;
    }
    std::map<std::string, Bytes> files;
};

class PlainScreen : public CDIBBaseScreen {
public:
    bool Initialize() override { return CBaseGame::Initialize(); }
    void Move() override {}
    void Draw(CDIBImage&) override {}
    void CopyImage(CDIBImage& target) override { target.FillFull(0xFF000000u); }
};

TEST(RootFlowMusicTest, AChangeFadesTheOldPieceOutAndCompletesOnceTheNewOnePlays) {
    Files scenarios;
    {
        ByteWriter w;
        w.PutBytes(std::string_view("MSCENARIO FILE  "));
        w.PutZeros(1112 - 16);
        scenarios.files["START"] = w.Take();
    }
    Files music;
    music.files["OLD"] = test::ToneOgg(2.0, 44100, 2);
    music.files["NEW"] = test::ToneOgg(2.0, 22050, 1, 660.0);

    CSnrBuffer::SetDefaultSource(&scenarios);
    auto main = std::make_unique<CMainWindow>(std::make_unique<test::FakeWindow>());
    SetMainWindow(main.get());
    test::FakeWindow device;
    CDSound sound;
    ASSERT_TRUE(sound.Initialize(&device, 44100, 2, 16));
    auto owned = std::make_unique<CBGMBuffer>();
    CBGMBuffer* bgm = owned.get();
    ASSERT_TRUE(bgm->Initialize(&sound, &music));
    main->AttachBGMBuffer(std::move(owned));

    CRootFlow flow;
    ASSERT_TRUE(flow.Initialize());
    CDIBImage frame;
    frame.Create(800, 600);
    auto tick = [&] {
        bgm->Move(30);
        flow.Move();
        flow.Draw(frame);
        sound.Pass(30);
    };
    auto settle = [&] {
        for (int i = 1; i <= 200; ++i) {
            tick();
            if (!flow.IsChanging()) return i;
        }
        return -1;
    };

    ASSERT_TRUE(bgm->Read("OLD"));
    ASSERT_TRUE(bgm->Play(0, true));
    auto* first = new PlainScreen;
    first->Initialize();
    flow.ChangeScreen(CallEffectParam::Make(kEffectBlt, 1), nullptr, nullptr, first, false);
    ASSERT_GT(settle(), 0);

    ScreenBGMParam change;
    change.name = "NEW";
    change.flags = ScreenBGMParam::kPlay | ScreenBGMParam::kStopFirst;
    change.fadeOutMs = 90;
    auto* second = new PlainScreen;
    second->Initialize();
    ASSERT_TRUE(
        flow.ChangeScreen(CallEffectParam::Make(kEffectBlt, 1), nullptr, &change, second, false));
    // The old piece fades out over three ticks before the new one is read and started.
    EXPECT_GE(settle(), 4);
    EXPECT_EQ(flow.GetCurrentScreen(), second);
    EXPECT_TRUE(bgm->CheckPlaying("NEW"));
    EXPECT_FALSE(bgm->CheckPlaying("OLD"));

    flow.Release();
    main.reset();
    SetMainWindow(nullptr);
    sound.Release();
    CSnrBuffer::SetDefaultSource(nullptr);
}

} // namespace
} // namespace qw
